#pragma once
// The settings dialog's page "Ярлики": shortcuts to this program file on the desktop and in the
// applications menu. It does not look for shortcuts that exist; apply writes (or overwrites) the
// ticked ones and says so for each one that was written.
#include "DesktopPage.h"
#include "DesktopPageServices.h"
#include "settings/ProgramShortcuts.h"

class QCheckBox;

class TShortcutsPage : public TDesktopPage {
    Q_OBJECT
public:
    explicit TShortcutsPage(DesktopPageServices services, QWidget* parent = nullptr);

protected:
    void FillPage() override;

private:
    void CheckBoxClick();
    void bbLnkClick();

    DesktopPageServices m_s;
    ProgramShortcuts m_shortcuts;
    QCheckBox* m_cbLnkDesktop;
    QCheckBox* m_cbLnkStart;
};
