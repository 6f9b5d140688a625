#pragma once
// The page "Асоціація": binding test files to the program in the desktop. The page shows its text,
// its box and its note; what the box does on this desktop is still to come, so its controls stay
// disabled and the page changes nothing.
#include "ConfigSheet.h"

struct AdditionConfigServices;

class AssociationSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit AssociationSheet(AdditionConfigServices& services, QWidget* parent = nullptr);

private:
    // The prompts and the program's place, for what the page will do.
    AdditionConfigServices& m_s;
    QCheckBox* m_extQzf;
};
