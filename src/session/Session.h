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
#include "Scoring.h"
#include "SessionPorts.h"
#include "model/ResultTest.h"
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
};

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
    template <typename F> void RunCommand(F&& body);
    void RunDeferred();
    // Runs one output of the session. The outputs report their own failures (a result file, the
    // server) without throwing; what this guards against is an exception escaping the windows,
    // dialogs and toolkit behind the ports, above all std::bad_alloc while a large report or
    // summary is built. Without it such an exception would leave the session half finished: state
    // TestLoaded but the record never released, the later outputs (the protected file, the
    // result to the server) never written, the exclusive mode left on. It is told and the next
    // output still runs.
    template <typename F> void RunOutput(F&& output);

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
    bool CheckAnswer(bool answered);
    void ShowFeedback(const TTask& task, const TaskAnswer& answer);
    void MoveOn();
    void TaskTimeUp();
    void TestTimeUp();
    void FinishTest();
    qint32 CurrentTaskNumber() const;
    bool ShowsReport() const;

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
    void KeepDraft();
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

    bool m_taskClockRunning = false;
    bool m_testClockRunning = false;
    bool m_taskEvaluated = false; // the task on screen has been evaluated
    bool m_taskTimeUp = false;    // deferred: the task's time ran out
    bool m_testTimeUp = false;    // deferred: the test's time ran out
    int m_busy = 0;
};
