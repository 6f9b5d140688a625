#pragma once
// The page "Звук": whether a sound ends a test, the built-in chime or the user's wave file, and a
// trial of what the page says.
#include "ConfigSheet.h"

struct AdditionConfigServices;
struct SoundPage;
struct TSettings;

class SoundSheet : public ConfigSheet {
    Q_OBJECT
public:
    SoundSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    SoundPage Page() const;
    void UpdateEnabled();
    void cbUseSoundClick();

    TSettings& m_settings;
    AdditionConfigServices& m_services;
    QCheckBox* m_useSound;
    QCheckBox* m_userFile;
    QLineEdit* m_fileName;
    QPushButton* m_selectFile;
    QLineEdit* m_fileDir;
    QPushButton* m_selectDir;
    QPushButton* m_proba;
};
