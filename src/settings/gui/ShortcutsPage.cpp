#include "ShortcutsPage.h"

#include "DesktopPageTexts.h"
#include "model/Prompts.h"
#include "settings/DesktopNames.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

TShortcutsPage::TShortcutsPage(DesktopPageServices services, QWidget* parent)
    : TDesktopPage(DesktopPageTexts::ShortcutsCaption.toString(), DesktopPageTexts::ShortcutsIntro.toString(),
                   QStringLiteral("apps"), DesktopNames::ProgramIcon,
                   DesktopPageTexts::ShortcutsNote.toString(), QStringLiteral("bbLnk"), parent),
      m_s(std::move(services)), m_shortcuts(m_s.folders, m_s.programPath, m_s.run) {
    setObjectName(QStringLiteral("tsLnk"));
    auto* group = new QGroupBox(DesktopPageTexts::ShortcutsGroup.toString(), this);
    m_cbLnkDesktop = new QCheckBox(DesktopPageTexts::DesktopCheck.toString(), group);
    m_cbLnkDesktop->setObjectName(QStringLiteral("cbLnkDesktop"));
    m_cbLnkStart = new QCheckBox(DesktopPageTexts::StartMenuCheck.toString(), group);
    m_cbLnkStart->setObjectName(QStringLiteral("cbLnkStart"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_cbLnkDesktop);
    layout->addWidget(m_cbLnkStart);
    ContentLayout()->addWidget(group);

    connect(m_cbLnkDesktop, &QCheckBox::clicked, this, &TShortcutsPage::CheckBoxClick);
    connect(m_cbLnkStart, &QCheckBox::clicked, this, &TShortcutsPage::CheckBoxClick);
    connect(ApplyButton(), &QPushButton::clicked, this, &TShortcutsPage::bbLnkClick);
}

void TShortcutsPage::FillPage() {
    m_cbLnkDesktop->setChecked(false);
    m_cbLnkStart->setChecked(false);
}

void TShortcutsPage::CheckBoxClick() {
    ApplyButton()->setEnabled(true);
}

void TShortcutsPage::bbLnkClick() {
    const QString title = SettingsTexts::ProgramTitle.toString();
    // A shortcut that cannot be written is not reported; the other one is still tried.
    if (m_cbLnkDesktop->isChecked() && m_shortcuts.WriteDesktopShortcut().Ok())
        m_s.prompts->ShowMessage(title, DesktopPageTexts::DesktopShortcutMade.toString(), MsgIcon::None);
    if (m_cbLnkStart->isChecked() && m_shortcuts.WriteMenuShortcut().Ok())
        m_s.prompts->ShowMessage(title, DesktopPageTexts::MenuShortcutMade.toString(), MsgIcon::None);
    ApplyButton()->setEnabled(false);
}
