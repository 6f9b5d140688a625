#pragma once
// The name dialog at the start of a session: the pupil types a name and a group, OK checks both
// against the teacher's expressions and keeps the dialog open with a balloon tip at the refused
// field. Created once and kept, so the fields survive from one session to the next.
#include "session/SessionPorts.h"

#include <QByteArray>
#include <QDialog>

class BalloonTip;
class Clock;
class Prompts;
class QLabel;
class QLineEdit;
class QPushButton;

class TInputUserNameForm : public QDialog {
    Q_OBJECT
public:
    TInputUserNameForm(const Clock& clock, Prompts& prompts, QWidget* parent = nullptr);

    // Puts the fields, the titles and the settings' copies into the dialog and shows it modally.
    // On OK the collapsed fields go back into `data` and the result is true; any other close
    // returns false and leaves the fields in `data` as the pupil left them.
    bool Run(NameDialogData& data);

    // The same without the modal loop, for callers that wait for accepted()/rejected() (tests).
    void Open(const NameDialogData& data);
    // The tip shown at a refused field.
    BalloonTip* RefusalTip() const { return m_balloon; }
    // The fields as they stand, code page 1251.
    void TakeFields(NameDialogData& data) const;

    bool NameTouched = false;
    bool GroupTouched = false;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load(const NameDialogData& data);
    void OKButtonClick();
    void ShowRefusal(QLineEdit* field, const QByteArray& example);

    const Clock& m_clock;
    Prompts& m_prompts;
    QLabel* m_hello;
    QLabel* m_titleName;
    QLabel* m_titleGroup;
    QLineEdit* m_name;
    QLineEdit* m_group;
    QPushButton* m_ok;
    BalloonTip* m_balloon;
    QByteArray m_nameExpression;
    QByteArray m_groupExpression;
    QByteArray m_nameExample;
    QByteArray m_groupExample;
};
