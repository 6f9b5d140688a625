#include "SaveResultSheet.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

SaveResultSheet::SaveResultSheet(TSettings& settings, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsSaveResult"), ConfigTexts::SaveResultText,
                  QStringLiteral(":/pages/saveresult.png"), parent),
      m_settings(settings) {
    // A check box, the file's name under it and a note, for each of the two files.
    auto addFile = [this](const QString& boxName, QStringView boxText, const QString& editName,
                          QStringView note, QCheckBox*& box, QLineEdit*& edit) {
        auto* grid = new QGridLayout;
        grid->setVerticalSpacing(4);
        box = NewCheckBox(boxName, boxText);
        edit = NewEdit(editName);
        grid->addWidget(box, 0, 0, 1, 2);
        grid->addWidget(NewLabel(ConfigTexts::FileNameLabel, edit), 1, 0);
        grid->addWidget(edit, 1, 1);
        grid->addWidget(NewNote(note), 2, 0, 1, 2);
        grid->setColumnStretch(1, 1);
        Body()->addLayout(grid);
    };
    addFile(QStringLiteral("cbIsSaveResult"), ConfigTexts::SaveResult, QStringLiteral("txtIsSaveResult"),
            ConfigTexts::SaveResultNote, m_saveResult, m_resultName);
    Body()->addSpacing(8);
    addFile(QStringLiteral("cbIsSaveProtectionResult"), ConfigTexts::SaveProtectionResult,
            QStringLiteral("txtIsSaveProtectionResult"), ConfigTexts::SaveProtectionResultNote,
            m_saveProtection, m_protectionName);
    AddApplyButton(QStringLiteral("bbSaveResult"));
}

void SaveResultSheet::Fill() {
    const SaveResultPage page = SaveResultPageFrom(m_settings);
    m_saveResult->setChecked(page.saveResult);
    m_resultName->setText(page.resultFileName);
    m_saveProtection->setChecked(page.saveProtectionResult);
    m_protectionName->setText(page.protectionResultFileName);
}

void SaveResultSheet::Apply() {
    ApplySaveResultPage({m_saveResult->isChecked(), m_resultName->text(), m_saveProtection->isChecked(),
                         m_protectionName->text()},
                        m_settings);
    // What the page shows is what is now in force, the default names included.
    Fill();
}
