#pragma once
// What the session engine needs from the rest of the program, each behind a small interface: the
// main window (SessionView), the results files (ResultsSink), the teacher's server (ServerLink)
// and the computer's identity (Workstation). Message boxes and the password dialog go through
// Prompts. The windows and the other subsystems implement these; tests script them.
#include "Evaluation.h"
#include "model/ResultTest.h"
#include "model/Task.h"
#include "model/Test.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <optional>

// What the main window holds: no test (also while one is being loaded), a test, a session running.
enum class SessionState { NoTest = 1, TestLoaded = 2, Testing = 3 };

// The fields of the name dialog. The dialog lives for the whole run, so the engine hands it the
// texts it showed last time and takes back whatever the pupil left in them.
struct NameDialogData {
    QByteArray userName;
    QByteArray userGroup;
    QByteArray titleUserName;
    QByteArray titleUserGroup;
    QByteArray nameExpression;
    QByteArray groupExpression;
    QByteArray nameExample;
    QByteArray groupExample;
};

// The picture of a position in the task list.
enum class TaskListImage { NotShown = 0, Shown = 1, Answered = 2 };

// The text of a position's item in the task list (`position` from 0): "1) wording".
inline QString TaskListItemText(qsizetype position, const QString& wording) {
    return QString::number(position + 1) + QStringLiteral(") ") + wording;
}

// What the window sets up when a session starts.
struct SessionStartView {
    // The plain wording per position, in the order of asking, for the task list (its items are
    // TaskListItemText of them); empty when skipping is not allowed.
    QStringList taskWordings;
    qint32 askCount = 0;        // the progress bar's maximum
    bool offerDontKnow = false; // "Я не знаю..." is shown and enabled
    bool offerSkipping = false; // "Пропустити..." and the task list are shown and enabled
};

// One presentation of a task.
struct TaskPresentation {
    const TTask* task = nullptr;
    qint32 taskNumber = 0;      // place of the task in the test
    qint32 position = 0;        // 0-based place in the order of asking
    qint32 askCount = 0;        // "Питання # position+1 із askCount:"
    qint32 askedCount = 0;      // the progress bar's position
    QList<qint32> variantOrder; // display row -> variant slot, kinds 1 to 5
    QString hintCaption;        // the hint button's caption; empty when the task has no hint
};

// A clock reading for the status bar, "hh:nn:ss"; the hours wrap at 24 as on a clock face.
inline QString ClockText(qint64 seconds) {
    const qint64 ofDay = ((seconds % 86400) + 86400) % 86400;
    return QTime(0, 0).addSecs(int(ofDay)).toString(QStringLiteral("hh:mm:ss"));
}

// A remaining time is drawn in red from this many seconds down.
constexpr qint32 UrgentSeconds = 9;

// What a status-bar panel of a remaining time shows: nothing without a limit; otherwise the time,
// in red (255, 0, 0) centred on one line from UrgentSeconds down. A limit already passed reads
// 00:00:00 rather than wrapping to the evening before.
struct RemainingClock {
    QString text;
    bool urgent = false;
};
inline RemainingClock RemainingClockText(std::optional<qint32> remaining) {
    if (!remaining)
        return {};
    const qint32 left = std::max<qint32>(*remaining, 0);
    return {ClockText(left), left <= UrgentSeconds};
}

class SessionView {
public:
    virtual ~SessionView() = default;

    // The modal name dialog; it checks the fields with NameRules::CheckNameAndGroup on OK.
    // False when the pupil closed it otherwise.
    virtual bool AskUserName(NameDialogData& data) = 0;
    // The session began or ended: the window's commands and status bar follow at once, also while
    // the dialogs of the finishing sequence are open.
    virtual void SessionStateChanged(SessionState state) = 0;
    // The test's instruction in the modal viewer, when the test has one.
    virtual void ShowTestInstruction(const TTest& test) = 0;
    virtual void SessionStarted(const SessionStartView& start) = 0;
    // Shows the task blank, with its answer widgets in the given variant order.
    virtual void PresentTask(const TaskPresentation& presentation) = 0;
    virtual void SetTaskListImage(qint32 position, TaskListImage image) = 0;
    // The answer as it stands on screen.
    virtual TaskAnswer CurrentAnswer() = 0;
    // Puts back what the pupil had chosen or typed on the task just presented, before leaving it
    // unconfirmed; the answer can be checked at once, as after a touch.
    virtual void RestoreAnswer(const TaskAnswer& answer) = 0;
    // The task on screen is being evaluated: its picture leaves the screen, the enlarged one too,
    // so no message of the evaluation shows beside a picture of a task that is over.
    virtual void ReleaseTaskPicture() {}
    // Status bar: time on the current task and of the whole test; the remaining time only when
    // there is a limit.
    virtual void ShowTaskClock(qint32 seconds, std::optional<qint32> remaining) = 0;
    virtual void ShowTestClock(qint32 seconds, std::optional<qint32> remaining) = 0;
    // Education mode: paint the marks and colours of a wrong answer; ClearFeedback puts the colours
    // back once the pupil has read the message (the signs stay until the next task).
    virtual void ShowFeedback(const Feedback& feedback) = 0;
    virtual void ClearFeedback() = 0;
    // A rich-text fragment in the modal viewer (hint, explanation).
    virtual void ShowRichText(const QString& caption, const QByteArray& fragment) = 0;
    virtual void EnterMonoMode() = 0;
    virtual void LeaveMonoMode() = 0;

    // The end of a session, in the order the engine calls them.
    virtual void ResetAnswerArea() = 0;
    virtual void PlayEndSound() = 0;
    virtual void ShowEndSummary(const TTest& test, const TResultTest& result) = 0;
    virtual void ShowResultWindow(const TTest& test, const TResultTest& result) = 0;
    virtual void ShowDetailReport(const TTest& test, const TResultTest& result) = 0;
};

// The results log and the protected results file. The engine calls each only when its setting is
// on; an implementation reports its own failures to the pupil.
class ResultsSink {
public:
    virtual ~ResultsSink() = default;
    virtual void AppendLogLine(const QByteArray& line) = 0;
    virtual void AppendResultBlock(const TTest& test, const TResultTest& result) = 0;
    virtual void WriteProtectedResult(const TResultTest& result) = 0;
    // Whether the file already holds this finished session: asked after a crash that came between
    // writing it and noting that in the session's journal, so that it is not written twice.
    virtual bool HoldsResultBlock(const TResultTest& result) {
        Q_UNUSED(result);
        return false;
    }
    virtual bool HoldsProtectedResult(const TResultTest& result) {
        Q_UNUSED(result);
        return false;
    }
};

// Identity of the session towards the teacher's server. The link clears `online` when the start
// or a progress message cannot be delivered; no further progress is sent then.
struct SessionLink {
    QByteArray sessionId;
    bool online = false;
};

// Messages to the teacher's server. An implementation decides from the settings and the test
// whether to send at all, and reports its own failures.
class ServerLink {
public:
    virtual ~ServerLink() = default;
    virtual void SendSessionStart(const TTest& test, const TResultTest& result, SessionLink& link) = 0;
    virtual void SendProgress(const TTest& test, const TResultTest& result, SessionLink& link) = 0;
    virtual void SendResult(const TTest& test, const TResultTest& result, const SessionLink& link) = 0;
    // Whether the result of the session is already on its way (kept to be sent), asked as
    // ResultsSink's HoldsResultBlock is.
    virtual bool HoldsResult(const QByteArray& sessionId) {
        Q_UNUSED(sessionId);
        return false;
    }
};

// A link that sends nothing, for tests that need no server.
class NoServerLink final : public ServerLink {
public:
    void SendSessionStart(const TTest&, const TResultTest&, SessionLink&) override {}
    void SendProgress(const TTest&, const TResultTest&, SessionLink&) override {}
    void SendResult(const TTest&, const TResultTest&, const SessionLink&) override {}
};

// The computer's network name and the logged-on user's name, code page 1251.
class Workstation {
public:
    virtual ~Workstation() = default;
    virtual QByteArray ComputerName() = 0;
    virtual QByteArray LoginName() = 0;
};

class SystemWorkstation final : public Workstation {
public:
    QByteArray ComputerName() override;
    QByteArray LoginName() override;
};
