#include "PasswordSheet.h"

#include "AdditionConfigServices.h"

#include "ports/Prompts.h"
#include "settings/ConfigPages.h"
#include "settings/SettingsPassword.h"
#include "settings/SettingsTexts.h"
#include "settings/UserStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PasswordSheet::PasswordSheet(AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("tbPassword"), ConfigTexts::PasswordText,
                  QStringLiteral(":/pages/password.png"), parent),
      m_services(services) {
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    m_password = NewEdit(QStringLiteral("txtPassword"));
    QLabel* label = NewLabel(ConfigTexts::PasswordLabel, m_password);
    label->setObjectName(QStringLiteral("lPassword"));
    m_usePassword = NewCheckBox(QStringLiteral("cbUsePassword"), ConfigTexts::UsePassword);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_password, 0, 1);
    grid->addWidget(m_usePassword, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    Body()->addWidget(group);
    connect(m_usePassword, &QCheckBox::toggled, m_password, &QWidget::setEnabled);
    AddApplyButton(QStringLiteral("bbPassword"));
}

void PasswordSheet::Fill() {
    QByteArray stored;
    if (m_services.store)
        stored = ReadSettingsPassword(UserStore(*m_services.store)).password;
    const PasswordPage page = PasswordPageFrom(stored);
    m_usePassword->setChecked(page.usePassword);
    m_password->setText(page.password);
    m_password->setEnabled(page.usePassword);
}

void PasswordSheet::Apply() {
    if (!m_services.store)
        return;
    UserStore store(*m_services.store);
    const Status written =
        WriteSettingsPassword(store, ApplyPasswordPage({m_usePassword->isChecked(), m_password->text()}));
    if (!written.Ok() && m_services.prompts)
        m_services.prompts->ShowMessage(SettingsTexts::ProgramTitle.toString(), written.Detail(),
                                        MsgIcon::Error);
}
