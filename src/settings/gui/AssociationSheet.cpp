#include "AssociationSheet.h"

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

AssociationSheet::AssociationSheet(AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsAssociation"), ConfigTexts::AssociationText,
                  QStringLiteral(":/pages/association.png"), parent),
      m_services(services), m_association(services.desktop) {
    QGroupBox* run = NewGroup(ConfigTexts::AssociationGroup);
    auto* runLayout = new QVBoxLayout(run);
    m_extQzf = NewCheckBox(QStringLiteral("cbExtQZF"), ConfigTexts::ExtQZF);
    runLayout->addWidget(m_extQzf);
    Body()->addWidget(run);

    QGroupBox* note = NewGroup(ConfigTexts::NoteGroup);
    auto* noteLayout = new QHBoxLayout(note);
    auto* icon = new QLabel(note);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/quizar-test.png")).pixmap(32, 32));
    noteLayout->addWidget(icon, 0, Qt::AlignTop);
    QLabel* text = NewLabel(ConfigTexts::AssociationNote);
    text->setWordWrap(true);
    noteLayout->addWidget(text, 1);
    Body()->addWidget(note);
    AddApplyButton(QStringLiteral("bbSetAssociation"));
}

void AssociationSheet::Fill() {
    RefreshAssociationState();
}

void AssociationSheet::RefreshAssociationState() {
    if (m_association.IsAssociated()) {
        m_extQzf->setChecked(true);
        m_extQzf->setEnabled(false);
    } else {
        m_extQzf->setEnabled(true);
    }
}

void AssociationSheet::Apply() {
    if (!m_extQzf->isChecked() || !m_extQzf->isEnabled())
        return;
    if (const Status s = m_association.WriteAssociation(); !s.Ok()) {
        // What was written before the failure stays; the page keeps the state it showed.
        if (m_services.prompts)
            m_services.prompts->ShowMessage(SettingsTexts::ProgramTitle.toString(), s.Detail(),
                                            MsgIcon::Error);
        return;
    }
    RefreshAssociationState();
    m_association.NotifyAssociationChanged();
}
