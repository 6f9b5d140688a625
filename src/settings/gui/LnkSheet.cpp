#include "LnkSheet.h"

#include "AdditionConfigServices.h"

#include "ports/Prompts.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

LnkSheet::LnkSheet(AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsLnk"), ConfigTexts::LnkText, QStringLiteral(":/pages/lnk.png"), parent),
      m_services(services), m_shortcuts(services.desktop) {
    QGroupBox* make = NewGroup(ConfigTexts::LnkGroup);
    auto* makeLayout = new QVBoxLayout(make);
    m_desktop = NewCheckBox(QStringLiteral("cbLnkDesktop"), ConfigTexts::LnkDesktop);
    m_start = NewCheckBox(QStringLiteral("cbLnkStart"), ConfigTexts::LnkStart);
    for (QCheckBox* box : {m_desktop, m_start})
        makeLayout->addWidget(box);
    Body()->addWidget(make);

    QGroupBox* note = NewGroup(ConfigTexts::NoteGroup);
    auto* noteLayout = new QHBoxLayout(note);
    auto* icon = new QLabel(note);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quizar-student.png")).pixmap(32, 32));
    noteLayout->addWidget(icon, 0, Qt::AlignTop);
    QLabel* text = NewLabel(ConfigTexts::LnkNote);
    text->setWordWrap(true);
    noteLayout->addWidget(text, 1);
    Body()->addWidget(note);
    AddApplyButton(QStringLiteral("bbLnk"));
}

void LnkSheet::Fill() {
    m_desktop->setChecked(false);
    m_start->setChecked(false);
}

void LnkSheet::Apply() {
    const QString title = SettingsTexts::ProgramTitle.toString();
    // A shortcut that cannot be written is not reported; the other one is still tried.
    if (m_desktop->isChecked() && m_shortcuts.WriteDesktopShortcut().Ok() && m_services.prompts)
        m_services.prompts->ShowMessage(title, ConfigTexts::LnkDesktopMade.toString(), MsgIcon::None);
    if (m_start->isChecked() && m_shortcuts.WriteMenuShortcut().Ok() && m_services.prompts)
        m_services.prompts->ShowMessage(title, ConfigTexts::LnkStartMade.toString(), MsgIcon::None);
}
