#include "AssociationSheet.h"

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
      m_s(services) {
    QGroupBox* run = NewGroup(ConfigTexts::AssociationGroup);
    auto* runLayout = new QVBoxLayout(run);
    m_extQzf = NewCheckBox(QStringLiteral("cbExtQZF"), ConfigTexts::ExtQZF);
    m_extQzf->setEnabled(false);
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
