#pragma once
// The page "Ярлики": shortcuts to the program on the desktop and in the applications menu. The
// page shows its text, its boxes and its note; what the boxes do on this desktop is still to come,
// so its controls stay disabled and the page changes nothing.
#include "ConfigSheet.h"

struct AdditionConfigServices;

class LnkSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit LnkSheet(AdditionConfigServices& services, QWidget* parent = nullptr);

private:
    // The prompts and the program's place, for what the page will do.
    AdditionConfigServices& m_s;
    QCheckBox* m_desktop;
    QCheckBox* m_start;
};
