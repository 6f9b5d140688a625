#include "SoundSheet.h"

#include "AdditionConfigServices.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SoundSheet::SoundSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsSound"), ConfigTexts::SoundText, QStringLiteral(":/pages/sound.png"),
                  parent),
      m_settings(settings), m_services(services) {
    QGroupBox* group = NewGroup(ConfigTexts::SoundGroup);
    auto* grid = new QGridLayout(group);
    m_useSound = NewCheckBox(QStringLiteral("cbUseSound"), ConfigTexts::UseSound);
    m_userFile = NewCheckBox(QStringLiteral("cbUserSoundFile"), ConfigTexts::UserSoundFile);
    m_fileName = NewEdit(QStringLiteral("txtUserSoundFile"));
    m_selectFile = NewButton(QStringLiteral("bbSelectUserSoundFile"), ConfigTexts::Choose);
    m_fileDir = NewEdit(QStringLiteral("txtUserSoundDir"));
    m_selectDir = NewButton(QStringLiteral("bbSelectUserSoundDir"), ConfigTexts::Choose);
    grid->addWidget(m_useSound, 0, 0, 1, 3);
    grid->addWidget(m_userFile, 1, 0, 1, 3);
    grid->addWidget(NewLabel(ConfigTexts::FileNameLabel, m_fileName), 2, 0);
    grid->addWidget(m_fileName, 2, 1);
    grid->addWidget(m_selectFile, 2, 2);
    grid->addWidget(NewLabel(ConfigTexts::SoundDirLabel, m_fileDir), 3, 0);
    grid->addWidget(m_fileDir, 3, 1);
    grid->addWidget(m_selectDir, 3, 2);
    grid->addWidget(NewNote(ConfigTexts::SoundDirNote), 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    Body()->addWidget(group);

    m_proba = NewButton(QStringLiteral("bbSoundProba"), ConfigTexts::SoundProba);
    auto* probaRow = new QHBoxLayout;
    probaRow->addWidget(m_proba);
    probaRow->addStretch(1);
    Body()->addLayout(probaRow);

    connect(m_useSound, &QCheckBox::clicked, this, &SoundSheet::cbUseSoundClick);
    connect(m_userFile, &QCheckBox::toggled, this, &SoundSheet::UpdateEnabled);
    connect(m_selectFile, &QPushButton::clicked, this, [this] {
        const QString path = m_services.openSoundFile(window());
        if (path.isEmpty())
            return;
        const SoundFileParts parts = SplitSoundFile(path);
        m_fileName->setText(parts.fileName);
        m_fileDir->setText(parts.fileDir);
    });
    connect(m_selectDir, &QPushButton::clicked, this, [this] {
        const FolderChoice choice = m_services.browseForFolder(window(), m_fileDir->text().trimmed());
        if (choice.chosen)
            m_fileDir->setText(choice.path);
    });
    connect(m_proba, &QPushButton::clicked, this,
            [this] { m_services.playSound(TrialSound(Page(), m_services.programFolder)); });
    AddApplyButton(QStringLiteral("bbSound"));
}

SoundPage SoundSheet::Page() const {
    return {m_useSound->isChecked(), m_userFile->isChecked(), m_fileName->text(), m_fileDir->text()};
}

void SoundSheet::UpdateEnabled() {
    const SoundPageEnabled on = SoundPageRules(Page());
    m_userFile->setEnabled(on.userSoundFile);
    for (QWidget* w : std::initializer_list<QWidget*>{m_fileName, m_selectFile, m_fileDir, m_selectDir})
        w->setEnabled(on.fileControls);
}

void SoundSheet::cbUseSoundClick() {
    UpdateEnabled();
    m_proba->setEnabled(m_useSound->isChecked());
}

void SoundSheet::Fill() {
    const SoundPage page = SoundPageFrom(m_settings);
    m_fileName->setText(page.fileName);
    m_fileDir->setText(page.fileDir);
    m_useSound->setChecked(page.useSound);
    m_userFile->setChecked(page.userSoundFile);
    UpdateEnabled();
    // The trial stays at hand as when the dialog opened; only a click on the first box changes it.
    m_proba->setEnabled(true);
}

void SoundSheet::Apply() {
    ApplySoundPage(Page(), m_settings);
}
