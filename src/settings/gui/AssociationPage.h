#pragma once
// The settings dialog's page "Асоціація": associates test files with this program file for the
// current user. Its check box is checked and disabled while the association holds, so it cannot
// be undone from here; apply writes the association only when the box is checked and enabled.
#include "DesktopPage.h"
#include "DesktopPageServices.h"
#include "settings/FileAssociation.h"

class QCheckBox;

class TAssociationPage : public TDesktopPage {
    Q_OBJECT
public:
    explicit TAssociationPage(DesktopPageServices services, QWidget* parent = nullptr);

    // Checks and disables the check box when the association holds; otherwise enables it and
    // leaves its check mark as it is.
    void RefreshAssociationState();

protected:
    void FillPage() override;

private:
    void cbExtQZFClick();
    void bbSetAssociationClick();

    DesktopPageServices m_s;
    FileAssociation m_association;
    QCheckBox* m_cbExtQZF;
};
