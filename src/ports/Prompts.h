#pragma once
// Every dialog and message box that the logic needs goes through this interface. The windows
// implement it with real dialogs; tests implement it with scripted answers, so no test ever
// blocks on a modal dialog.
#include <QByteArray>
#include <QString>

enum class MsgIcon { None, Error, Warning, Question, Information };

// A message box as the logic decides it: what a failure or an event tells the user.
struct Notice {
    QString caption;
    QString text;
    MsgIcon icon = MsgIcon::None;

    bool operator==(const Notice&) const = default;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // The password dialog. Returns false when the pupil cancelled; `entered` receives the typed
    // text (code page 1251) however the dialog was closed.
    virtual bool AskPassword(QByteArray& entered) = 0;
    virtual void ShowMessage(const QString& caption, const QString& text, MsgIcon icon) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon) = 0;

    void Show(const Notice& notice) { ShowMessage(notice.caption, notice.text, notice.icon); }
};
