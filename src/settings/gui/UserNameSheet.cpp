#include "UserNameSheet.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

UserNameSheet::UserNameSheet(TSettings& settings, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsDefaultUserName"), ConfigTexts::UserNameText,
                  QStringLiteral(":/pages/username.png"), parent),
      m_settings(settings) {
    // The two groups side by side as two columns of one table, so that each row of labels serves
    // both and the page keeps its height.
    auto* frame = new QGroupBox(this);
    auto* grid = new QGridLayout(frame);
    const std::array<QStringView, 4> labels = {ConfigTexts::DefaultLabel, ConfigTexts::ExpressionLabel,
                                               ConfigTexts::ExampleLabel, ConfigTexts::TitleLabel};
    const std::array<const char*, 4> nameEdits = {"txtDefaultUserName", "txtUserNameExpression",
                                                  "txtUserNameExample", "txtTitleUserName"};
    const std::array<const char*, 4> groupEdits = {"txtDefaultUserGroup", "txtUserGroupExpression",
                                                   "txtUserGroupExample", "txtTitleUserGroup"};
    QLabel* nameTitle = NewLabel(ConfigTexts::UserNameGroup);
    QLabel* groupTitle = NewLabel(ConfigTexts::UserGroupGroup);
    for (QLabel* title : {nameTitle, groupTitle}) {
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
    }
    grid->addWidget(nameTitle, 0, 1);
    grid->addWidget(groupTitle, 0, 2);
    // The name's four edits first, then the group's, as the focus goes.
    for (size_t i = 0; i < 4; ++i)
        m_name[i] = NewEdit(QLatin1String(nameEdits[i]));
    for (size_t i = 0; i < 4; ++i)
        m_group[i] = NewEdit(QLatin1String(groupEdits[i]));
    for (size_t i = 0; i < 4; ++i) {
        const int row = int(i) + 1;
        grid->addWidget(NewLabel(labels[i], m_name[i]), row, 0);
        grid->addWidget(m_name[i], row, 1);
        grid->addWidget(m_group[i], row, 2);
        m_name[i]->setAccessibleName(ConfigTexts::UserNameGroup.toString() + u' ' + labels[i].toString());
        m_group[i]->setAccessibleName(ConfigTexts::UserGroupGroup.toString() + u' ' + labels[i].toString());
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    Body()->addWidget(frame);
    m_saveLastUser = NewCheckBox(QStringLiteral("cbIsSaveLastUser"), ConfigTexts::SaveLastUser);
    Body()->addWidget(m_saveLastUser);
    AddApplyButton(QStringLiteral("bbDefaultUserName"));
}

void UserNameSheet::Fill() {
    const UserNamePage page = UserNamePageFrom(m_settings);
    const std::array<const QString*, 4> name = {&page.defaultUserName, &page.userNameExpression,
                                                &page.userNameExample, &page.titleUserName};
    const std::array<const QString*, 4> group = {&page.defaultUserGroup, &page.userGroupExpression,
                                                 &page.userGroupExample, &page.titleUserGroup};
    for (size_t i = 0; i < 4; ++i) {
        m_name[i]->setText(*name[i]);
        m_name[i]->home(false);
        m_group[i]->setText(*group[i]);
        m_group[i]->home(false);
    }
    m_saveLastUser->setChecked(page.saveLastUser);
}

void UserNameSheet::Apply() {
    UserNamePage page;
    page.defaultUserName = m_name[0]->text();
    page.userNameExpression = m_name[1]->text();
    page.userNameExample = m_name[2]->text();
    page.titleUserName = m_name[3]->text();
    page.defaultUserGroup = m_group[0]->text();
    page.userGroupExpression = m_group[1]->text();
    page.userGroupExample = m_group[2]->text();
    page.titleUserGroup = m_group[3]->text();
    page.saveLastUser = m_saveLastUser->isChecked();
    ApplyUserNamePage(page, m_settings);
}
