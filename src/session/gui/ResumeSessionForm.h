#pragma once
// The dialog "Незавершене тестування" at start-up: whose session an earlier run left unfinished,
// in which test, how far it got and how much time is left, with the choice to continue it
// ("Продовжити", the default), to continue it without losing the time away (offered when the
// settings password is set; the password is asked afterwards) or to refuse it ("Відмовитися").
// It closes only by one of them.
#include "session/SessionRecovery.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TResumeSessionForm : public QDialog {
    Q_OBJECT
public:
    explicit TResumeSessionForm(const ResumeOffer& offer, QWidget* parent = nullptr);

    ResumeChoice Choice() const { return m_choice; }
    // Shows the dialog modally; the pupil's choice.
    static ResumeChoice Ask(const ResumeOffer& offer, QWidget* parent);

public slots:
    // Escape and the window's close box leave the choice open: the dialog stays.
    void reject() override {}

private:
    QPushButton* AddButton(const QString& text, const QString& name, ResumeChoice choice);

    ResumeChoice m_choice = ResumeChoice::Continue;
    QWidget* m_buttons = nullptr;
};
