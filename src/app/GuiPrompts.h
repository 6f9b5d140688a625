#pragma once
// The prompts of the logic shown as real dialogs owned by a window.
#include "ports/Prompts.h"

#include <QPointer>

class QWidget;
class TInputPasswordForm;

class GuiPrompts : public Prompts {
public:
    explicit GuiPrompts(QWidget* owner) : m_owner(owner) {}
    ~GuiPrompts() override;
    GuiPrompts(const GuiPrompts&) = delete;
    GuiPrompts& operator=(const GuiPrompts&) = delete;
    // Dialogs are centred on the owner; the main window exists only after its prompts do.
    void SetOwner(QWidget* owner) { m_owner = owner; }
    bool AskPassword(QByteArray& entered) override;
    void ShowMessage(const QString& caption, const QString& text, MsgIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon) override;

private:
    QWidget* m_owner;
    // One password dialog for the whole run, made on first use and owned by the owner window.
    QPointer<TInputPasswordForm> m_passwordForm;
};
