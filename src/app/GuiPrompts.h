#pragma once
// The prompts of the logic shown as real dialogs owned by a window.
#include "model/Prompts.h"

class QWidget;

class GuiPrompts : public Prompts {
public:
    explicit GuiPrompts(QWidget* owner) : m_owner(owner) {}
    // Dialogs are centred on the owner; the main window exists only after its prompts do.
    void SetOwner(QWidget* owner) { m_owner = owner; }
    bool AskPassword(QByteArray& entered) override;
    void ShowMessage(const QString& caption, const QString& text, MsgIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon) override;

private:
    QWidget* m_owner;
};
