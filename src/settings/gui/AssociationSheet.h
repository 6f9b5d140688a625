#pragma once
// The page "Асоціація": associates test files with this program file for the current user, in the
// desktop's own terms (see FileAssociation). While the association holds, the box is checked and
// disabled, so it cannot be undone from here; apply writes the association only when the box is
// checked and enabled, and keeps its own state.
#include "ConfigSheet.h"

#include "settings/FileAssociation.h"

struct AdditionConfigServices;

class AssociationSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit AssociationSheet(AdditionConfigServices& services, QWidget* parent = nullptr);

    // Checks and disables the box when the association holds; otherwise enables it and leaves its
    // check mark as it is.
    void RefreshAssociationState();

protected:
    void Fill() override;
    void Apply() override;
    bool ApplyDisablesButton() const override { return false; }

private:
    AdditionConfigServices& m_services;
    FileAssociation m_association;
    QCheckBox* m_extQzf;
};
