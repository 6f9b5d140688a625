#pragma once
// The running session as an engine: the window turns widgets into answers and forwards its
// commands and timer ticks here; everything to show or ask goes out through SessionView and
// Prompts, the outputs through ResultsSink and ServerLink, and time comes from the Clock.
//
// Re-entrancy: a prompt, a viewer or a server exchange may deliver timer ticks (and, in principle,
// commands) while a command of this session is still on the stack. Ticks keep counting, but what a
// time limit sets off is deferred until the command in progress has returned; commands arriving
// meanwhile are ignored. So a task is evaluated once, a session finishes once, and the result
// record is never touched after its release.
//
// Journal: while a session runs, every step it takes is written to its journal (SessionJournal)
// before the pupil sees the step's effect. After a crash the same steps are taken again from the
// journal through the same code, with the journal standing in for the pupil, the random generator
// and the clock (SessionReplay.cpp).
#include "JournalRecord.h"
#include "Scoring.h"
#include "SessionPorts.h"
#include "model/ResultTest.h"
#include "model/Status.h"
#include "ports/Clock.h"
#include "ports/Prompts.h"
#include "settings/Settings.h"

#include <QHash>
#include <QLocale>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class RandomGenerator;
class RunCounterStore;
class SessionJournal;
struct JournalFile;

struct SessionServices {
    SessionView& view;
    Prompts& prompts;
    ResultsSink& results;
    ServerLink& server;
    RunCounterStore& runCounter;
    Workstation& workstation;
    const Clock& clock;
    RandomGenerator& random;
    // Plain text of a rich-text fragment, for the task list.
    std::function<QByteArray(const QByteArray&)> toPlain;
    // The pupil's locale: typed numbers and numbers in messages.
    QLocale locale = QLocale::system();
    // Where a running session keeps its journal; empty for none.
    QString journalFolder = {};
    // Sees every write of the journal before it happens (tests).
    std::function<bool(QByteArrayView)> journalGate = {};
};

// How the clocks of a resumed session go on: from the wall clock, so the time the program was not
// running counts as used, or where the journal left them.
enum class ResumeClock { WallClock, AsJournalled };

class Session {
public:
    Session(const TSettings& settings, SessionServices services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The loaded test. The test and its tasks must outlive the session's use of them; a test
    // cannot be replaced or dropped while a session runs (false then).
    bool AttachTest(const TTest& test, std::span<const TTask> tasks);
    bool DetachTest();

    // "Розпочати тест".
    void BeginTest();
    // "Наступне (перевірити)": evaluate the answer on screen and move on.
    void CheckAskTask();
    // "Я не знаю...": count the task as not answered and move on.
    void IDoNotKnow();
    // "Пропустити...": go to the next task not yet answered, without evaluation.
    void SkipTask();
    // A choice in the task list.
    void GoToTask(qint32 position);
    // "Показати підказку".
    void ShowPromptTask();
    // "Закінчити тест": asks the pupil, then ends the session with the answer on screen checked.
    void EndTest();
    // The window is asked to close. During a session the pupil confirms, the task on screen counts
    // as not answered and the session finishes. True when the window may close.
    bool RequestClose();

    // Called every second by the window's timers; they do nothing while their clock is stopped.
    void TaskTick();
    void TestTick();

    // A session of an earlier run, from its journal, over the attached test: the one the journal
    // names, with the same CRC. The session is rebuilt step by step and goes on in the same journal
    // under the same session id, announced again to the results log and the server but not counted
    // as a new run; the task that was on screen is shown again with its variants in the same order.
    // A session that was already ending finishes instead. Corrupt when the journal does not replay
    // on this test (nothing is changed then).
    Status ResumeSession(const JournalFile& journal, ResumeClock clock);
    // The same rebuilt session, finished as closing the program finishes one (EndReason 4, the task
    // on screen not answered), or for the reason it was already ending for.
    Status FinishJournalled(const JournalFile& journal);
    // The running session's journal; null when it keeps none.
    const SessionJournal* Journal() const { return m_journal.get(); }

    SessionState State() const { return m_state; }
    // The running session's record; null between sessions.
    const TResultTest* Result() const { return m_result.get(); }
    const SessionLink& Link() const { return m_link; }
    const TTest* Test() const { return m_test; }
    // The task on screen; null between sessions.
    const TTask* CurrentTask() const;
    bool IsTaskClockRunning() const { return m_taskClockRunning; }
    bool IsTestClockRunning() const { return m_testClockRunning; }

private:
    class Busy;

    // Runs a command unless another one is on the stack, then whatever a time limit deferred.
    void RunCommand(const std::function<void()>& body);
    void RunDeferred();
    // Runs one output of the session. The outputs report their own failures (a result file, the
    // server) without throwing; what this guards against is an exception escaping the windows,
    // dialogs and toolkit behind the ports, above all std::bad_alloc while a large report or
    // summary is built. Without it such an exception would leave the session half finished: state
    // TestLoaded but the record never released, the later outputs (the protected file, the
    // result to the server) never written, the exclusive mode left on. It is told and the next
    // output still runs.
    void RunOutput(const std::function<void()>& output);

    // The steps of a start, in their order; a false or empty one ends the start as if never begun.
    bool Start();
    bool CheckStartPassword();
    // The pupil's name and group from the name dialog, trimmed.
    std::optional<std::pair<QByteArray, QByteArray>> AskPupil();
    bool WithinRunLimit();
    // The record of the new session, with its tasks chosen and ordered.
    std::unique_ptr<TResultTest> NewResult(const QByteArray& userName, const QByteArray& userGroup);
    SessionStartView StartView(const TResultTest& result) const;
    // The session's start line in the results log and its start at the teacher's server.
    void Announce();
    void AskTask();
    // Puts the task at Position before the pupil as AskTask prepared it.
    void ShowTask();
    bool CheckAnswer(bool answered);
    void ShowFeedback(const TTask& task, const TaskAnswer& answer);
    void MoveOn();
    void TaskTimeUp();
    void TestTimeUp();
    // Both clocks as they stand, on the status bar.
    void ShowClocks();
    void FinishTest();
    qint32 CurrentTaskNumber() const;
    bool ShowsReport() const;
    // "Пропустити..." and the task list: leaves the task on screen unconfirmed for another one.
    void LeaveTaskFor(qint32 position);
    void MoveTo(qint32 position, const std::optional<TaskAnswer>& draft);
    // What the task on screen shows; nothing once it is evaluated.
    TaskAnswer OnScreenAnswer();

    // SessionReplay.cpp
    enum class Restored { Begun, Presented, Checked, Moved };
    // Writes one step to the journal, with the clocks of `clockTask`.
    void Journal(JournalStep step, qint32 clockTask);
    void OpenJournal();
    void CloseJournal();
    void TellJournalFailed();
    // An output of the finishing sequence, marked in the journal before and after.
    void RunJournalledOutput(JournalOutput output, const std::function<void()>& write);
    // The session of the journal rebuilt over the attached test, without showing or sending
    // anything; what the last step left to do next.
    Status Restore(const JournalFile& journal, Restored& restored);
    Status ReplayStep(const JournalRecord& record, Restored& restored);
    void ContinueJournal(const JournalFile& journal);
    void AddTimeAway(const JournalFile& journal, Restored restored);
    void AnnounceResumed();
    void FinishRestored();

    const TSettings& m_settings;
    SessionServices m_services;
    const TTest* m_test = nullptr;
    std::span<const TTask> m_tasks;
    SessionState m_state = SessionState::NoTest;
    std::unique_ptr<TResultTest> m_result;
    SessionLink m_link;
    // What the pupil had on screen on each position left without confirming it (through the task
    // list or "Пропустити..."), with its variant order: shown again on coming back. Nothing of it is
    // scored until the pupil confirms.
    struct Draft {
        QList<qint32> variantOrder;
        TaskAnswer answer;
    };
    QHash<qint32, Draft> m_drafts;
    // The plain wording of every task for the task list, made when the test is attached (a load
    // already takes its time; the start of a session should not). Each keeps the wording it was
    // made from, whose bytes are shared: a wording changed since has other bytes and is made again.
    struct PlainWording {
        QByteArray question;
        QString plain;
    };
    std::vector<PlainWording> m_plainWordings;
    QString PlainWordingOf(qint32 taskNumber) const;
    // The name dialog's fields, kept from one session to the next.
    QByteArray m_dialogName;
    QByteArray m_dialogGroup;

    std::unique_ptr<SessionJournal> m_journal;
    // Replaying a journal: nothing is shown, sent or journalled, and the journal gives what the
    // pupil and the random generator gave the first time.
    bool m_replaying = false;
    std::optional<QList<qint32>> m_givenVariantOrder;
    std::optional<TaskAnswer> m_givenAnswer;
    // The session was ending when the journal stopped.
    std::optional<JournalEnd> m_ending;
    // The draft the task on screen was shown with.
    std::optional<TaskAnswer> m_shownDraft;
    // The task at Position is laid out on screen (not so while a journal is being replayed).
    bool m_taskShown = false;

    bool m_taskClockRunning = false;
    bool m_testClockRunning = false;
    bool m_taskEvaluated = false; // the task on screen has been evaluated
    bool m_taskTimeUp = false;    // deferred: the task's time ran out
    bool m_testTimeUp = false;    // deferred: the test's time ran out
    int m_busy = 0;
};
