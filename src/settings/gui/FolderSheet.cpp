#include "FolderSheet.h"

#include "AdditionConfigServices.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FolderSheet::FolderSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("TabSheetFolder"), ConfigTexts::FolderText,
                  QStringLiteral(":/pages/folder.png"), parent),
      m_settings(settings), m_services(services) {
    QGroupBox* group = NewGroup(ConfigTexts::FolderGroup);
    auto* grid = new QGridLayout(group);
    m_initialDir = AddFolderRow(
        grid, 0, ConfigTexts::InitialDirOpenTestLabel, QStringLiteral("Edit_InitialDirOpenTest"),
        QStringLiteral("Button_ClearInitialDirOpenTest"), QStringLiteral("Button_SelectInitialDirOpenTest"));
    grid->setRowMinimumHeight(2, 6);
    m_resultDir =
        AddFolderRow(grid, 3, ConfigTexts::DirForResultLabel, QStringLiteral("Edit_DirForResult"),
                     QStringLiteral("Button_ClearDirForResult"), QStringLiteral("Button_SelectDirForResult"));
    grid->setColumnStretch(0, 1);
    Body()->addWidget(group);
    AddApplyButton(QStringLiteral("bbSaveFolder"));
}

QLineEdit* FolderSheet::AddFolderRow(QGridLayout* grid, int row, QStringView label, const QString& editName,
                                     const QString& clearName, const QString& selectName) {
    QLineEdit* edit = NewEdit(editName);
    QPushButton* clear = NewButton(clearName, ConfigTexts::Clear);
    QPushButton* select = NewButton(selectName, ConfigTexts::Browse);
    grid->addWidget(NewLabel(label, edit), row, 0, 1, 3);
    grid->addWidget(edit, row + 1, 0);
    grid->addWidget(clear, row + 1, 1);
    grid->addWidget(select, row + 1, 2);
    connect(clear, &QPushButton::clicked, this, [edit] {
        if (!edit->text().isEmpty())
            edit->clear();
    });
    connect(select, &QPushButton::clicked, this, [this, edit] {
        const FolderChoice choice = m_services.browseForFolder(window(), edit->text().trimmed());
        if (choice.chosen)
            edit->setText(choice.path);
    });
    return edit;
}

void FolderSheet::Fill() {
    const FolderPage page = FolderPageFrom(m_settings);
    m_initialDir->setText(page.initialDirOpenTest);
    m_resultDir->setText(page.dirForResult);
}

void FolderSheet::Apply() {
    ApplyFolderPage({m_initialDir->text(), m_resultDir->text()}, m_settings);
}
