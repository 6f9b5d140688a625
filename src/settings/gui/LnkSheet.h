#pragma once
// The page "Ярлики": shortcuts to this program file on the desktop and in the applications menu
// (see ProgramShortcuts). It does not look for shortcuts that exist; apply writes, or writes over,
// the ticked ones and says so for each one it wrote.
#include "ConfigSheet.h"

#include "settings/ProgramShortcuts.h"

struct AdditionConfigServices;

class LnkSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit LnkSheet(AdditionConfigServices& services, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    AdditionConfigServices& m_services;
    ProgramShortcuts m_shortcuts;
    QCheckBox* m_desktop;
    QCheckBox* m_start;
};
