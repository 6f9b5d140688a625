#include "AssociationPage.h"

#include "DesktopPageTexts.h"
#include "model/Prompts.h"
#include "settings/DesktopNames.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

TAssociationPage::TAssociationPage(DesktopPageServices services, QWidget* parent)
    : TDesktopPage(DesktopPageTexts::AssociationCaption.toString(),
                   DesktopPageTexts::AssociationIntro.toString(), QStringLiteral("mimetypes"),
                   DesktopNames::TestFileIcon, DesktopPageTexts::AssociationNote.toString(),
                   QStringLiteral("bbSetAssociation"), parent),
      m_s(std::move(services)), m_association(m_s.folders, m_s.programPath, m_s.run) {
    setObjectName(QStringLiteral("tsAssociation"));
    auto* group = new QGroupBox(DesktopPageTexts::AssociationGroup.toString(), this);
    m_cbExtQZF = new QCheckBox(DesktopPageTexts::AssociateCheck.toString(), group);
    m_cbExtQZF->setObjectName(QStringLiteral("cbExtQZF"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_cbExtQZF);
    ContentLayout()->addWidget(group);

    connect(m_cbExtQZF, &QCheckBox::clicked, this, &TAssociationPage::cbExtQZFClick);
    connect(ApplyButton(), &QPushButton::clicked, this, &TAssociationPage::bbSetAssociationClick);
}

void TAssociationPage::FillPage() {
    RefreshAssociationState();
}

void TAssociationPage::RefreshAssociationState() {
    if (m_association.IsAssociated()) {
        m_cbExtQZF->setChecked(true);
        m_cbExtQZF->setEnabled(false);
    } else {
        m_cbExtQZF->setEnabled(true);
    }
}

void TAssociationPage::cbExtQZFClick() {
    ApplyButton()->setEnabled(true);
}

void TAssociationPage::bbSetAssociationClick() {
    if (!m_cbExtQZF->isChecked() || !m_cbExtQZF->isEnabled())
        return;
    if (const Status s = m_association.WriteAssociation(); !s.Ok()) {
        // What was written before the failure stays; the page shows the state it had.
        m_s.prompts->ShowMessage(SettingsTexts::ProgramTitle.toString(), s.Detail(), MsgIcon::Error);
        return;
    }
    RefreshAssociationState();
    m_association.NotifyAssociationChanged();
}
