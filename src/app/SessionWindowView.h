#pragma once
// The main window as the session engine sees it: it owns the engine, lays out each task in the
// answer area, reads the widgets back as the engine's answer value and writes the results files.
#include "MonoMode.h"
#include "session/Session.h"
#include "session/SessionPorts.h"

#include <QIcon>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

class AnswerArea;
class RunCounterStore;
class QTimer;
class QWidget;
class TMainStatusBar;
class TSessionArea;
class TShowQuestionImageForm;
class TShowResultForm;
class UserStore;
struct LoadedTest;
struct MainActions;
struct MainFormServices;
class ResultFiles;

// What the session view needs of the main window besides its parts: the owner of the session's
// dialogs, the window's state, the kind of the task on screen (for the digit keys), the end sound
// and the loaded test.
class SessionWindowHost {
public:
    virtual ~SessionWindowHost() = default;
    virtual QWidget& DialogOwner() = 0;
    virtual void SetSessionState(SessionState state) = 0;
    virtual void SetCurrentTaskKind(int kind) = 0;
    virtual void PlayEndSound() = 0;
    virtual const LoadedTest* Loaded() const = 0;
};

// The parts of the main window the session shows itself in.
struct SessionWindowParts {
    TSessionArea& area;
    const MainActions& actions;
    TMainStatusBar& statusBar;
    TShowQuestionImageForm& imageForm;
    ResultFiles& resultFiles;
    const TSettings& settings;
};

class TaskListModel;

class SessionWindowView final : public SessionView, public ResultsSink {
public:
    static constexpr int ClockTickMs = 1000;

    SessionWindowView(SessionWindowHost& host, const SessionWindowParts& parts,
                      const MainFormServices& services);
    ~SessionWindowView() override;

    Session& Engine() { return *m_session; }
    const MonoMode& Mono() const { return m_mono; }
    AnswerArea& Answers() { return *m_answers; }
    // The one-second ticks of the task's and the test's clocks; tests call them directly.
    void TimerTaskTimer();
    void TimerTestTimer();
    // Gives the engine the window's current test, or takes it away when there is none.
    void AttachLoadedTest();
    // A choice in the task list: go to that position; the list keeps no selection.
    void ComboBoxEx1Click(int index);
    // The task list's pictures of a position.
    static QIcon TaskListIcon(TaskListImage image);
    static QIcon TaskListIcon(int image) { return TaskListIcon(TaskListImage(image)); }

    // SessionView
    bool AskUserName(NameDialogData& data) override;
    void SessionStateChanged(SessionState state) override;
    void ShowTestInstruction(const TTest& test) override;
    void SessionStarted(const SessionStartView& start) override;
    void PresentTask(const TaskPresentation& presentation) override;
    void SetTaskListImage(qint32 position, TaskListImage image) override;
    TaskAnswer CurrentAnswer() override;
    void RestoreAnswer(const TaskAnswer& answer) override;
    void ReleaseTaskPicture() override;
    void ShowTaskClock(qint32 seconds, std::optional<qint32> remaining) override;
    void ShowTestClock(qint32 seconds, std::optional<qint32> remaining) override;
    void ShowFeedback(const Feedback& feedback) override;
    void ClearFeedback() override;
    void ShowRichText(const QString& caption, const QByteArray& fragment) override;
    void EnterMonoMode() override;
    void LeaveMonoMode() override;
    void ResetAnswerArea() override;
    void PlayEndSound() override;
    void ShowEndSummary(const TTest& test, const TResultTest& result) override;
    void ShowResultWindow(const TTest& test, const TResultTest& result) override;
    void ShowDetailReport(const TTest& test, const TResultTest& result) override;

    // ResultsSink
    void AppendLogLine(const QByteArray& line) override;
    void AppendResultBlock(const TTest& test, const TResultTest& result) override;
    void WriteProtectedResult(const TResultTest& result) override;
    bool HoldsResultBlock(const TResultTest& result) override;
    bool HoldsProtectedResult(const TResultTest& result) override;

private:
    void ShowClock(int usedPanel, int remainingPanel, qint32 seconds, std::optional<qint32> remaining);

    SessionWindowHost& m_host;
    SessionWindowParts m_parts;
    std::function<bool(NameDialogData&)> m_askUserName;
    Prompts& m_prompts;
    RandomGenerator& m_random;
    std::unique_ptr<UserStore> m_userStore;
    std::unique_ptr<RunCounterStore> m_runCounter;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<TShowResultForm> m_resultForm;
    MonoMode m_mono;
    QTimer* m_timerTask = nullptr;
    QTimer* m_timerTest = nullptr;
    // Owned by the window, like the widgets it works on.
    AnswerArea* m_answers = nullptr;
    TaskListModel* m_taskList = nullptr;
};
