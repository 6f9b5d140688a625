#pragma once
// A whole session without windows: the view, the results files, the server and the prompts are
// scripted and write what happens into one shared log, so a test can check the order of events.
#include "ScriptedPrompts.h"
#include "model/Clock.h"
#include "model/DateTime.h"
#include "model/Test.h"
#include "model/TextCodec.h"
#include "session/RandomGenerator.h"
#include "session/RunCounter.h"
#include "session/Session.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

inline QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

// Throws from the output whose name is `failing`, to show that one failing output stops no other.
struct EventLog {
    QStringList events;
    QString failing;
    void Add(const QString& event) {
        events.append(event);
        if (event == failing)
            throw std::runtime_error("disk full");
    }
};

class LoggingPrompts : public ScriptedPrompts {
public:
    explicit LoggingPrompts(EventLog& log) : m_log(log) {}
    void ShowMessage(const QString& caption, const QString& text, MsgIcon icon) override {
        m_log.events.append("message:" + text);
        ScriptedPrompts::ShowMessage(caption, text, icon);
    }
    bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon) override {
        m_log.events.append("question:" + text);
        return ScriptedPrompts::AskYesNo(caption, text, icon);
    }

private:
    EventLog& m_log;
};

class FakeView : public SessionView {
public:
    explicit FakeView(EventLog& log) : m_log(log) {}

    // Each name dialog takes the next entry: the name and group typed, or nullopt for Cancel.
    QList<std::optional<std::pair<QString, QString>>> names;
    QList<NameDialogData> dialogs;
    QList<TaskPresentation> presented;
    QList<SessionStartView> starts;
    QMap<qint32, int> listImages;
    TaskAnswer answer;
    std::pair<qint32, std::optional<qint32>> taskClock{-1, std::nullopt};
    std::pair<qint32, std::optional<qint32>> testClock{-1, std::nullopt};
    QList<Feedback> feedback;
    QList<std::pair<QString, QByteArray>> viewed;
    std::function<void()> duringViewer;
    std::optional<TResultTest> finished; // the record as the end-of-test summary saw it
    int summaries = 0;

    bool AskUserName(NameDialogData& data) override {
        dialogs.append(data);
        if (names.isEmpty() || !names.first()) {
            if (!names.isEmpty())
                names.removeFirst();
            return false;
        }
        const auto [name, group] = *names.takeFirst();
        data.userName = Cp(name);
        data.userGroup = Cp(group);
        return true;
    }
    void ShowTestInstruction(const TTest&) override { m_log.Add("instruction"); }
    void SessionStarted(const SessionStartView& start) override {
        starts.append(start);
        m_log.Add("started");
    }
    void PresentTask(const TaskPresentation& p) override {
        presented.append(p);
        answer = {};
        m_log.Add(QStringLiteral("present:%1").arg(p.position));
    }
    void SetTaskListImage(qint32 position, int image) override { listImages[position] = image; }
    TaskAnswer CurrentAnswer() override { return answer; }
    // The answers put back on coming back to a task, in order.
    QList<TaskAnswer> restored;
    void RestoreAnswer(const TaskAnswer& a) override {
        restored.append(a);
        answer = a;
        m_log.Add("restore");
    }
    void ShowTaskClock(qint32 seconds, std::optional<qint32> remaining) override {
        taskClock = {seconds, remaining};
    }
    void ShowTestClock(qint32 seconds, std::optional<qint32> remaining) override {
        testClock = {seconds, remaining};
    }
    void ShowFeedback(const Feedback& f) override {
        feedback.append(f);
        m_log.Add("feedback");
    }
    void ClearFeedback() override { m_log.Add("clear feedback"); }
    void ShowRichText(const QString& caption, const QByteArray& fragment) override {
        viewed.append({caption, fragment});
        m_log.Add("viewer:" + caption);
        if (duringViewer)
            duringViewer();
    }
    void EnterMonoMode() override { m_log.Add("enter mono"); }
    void LeaveMonoMode() override { m_log.Add("leave mono"); }
    void ResetAnswerArea() override { m_log.Add("reset"); }
    void PlayEndSound() override { m_log.Add("sound"); }
    void ShowEndSummary(const TTest&, const TResultTest& result) override {
        ++summaries;
        finished = result;
        m_log.Add("summary");
    }
    void ShowResultWindow(const TTest&, const TResultTest&) override { m_log.Add("result window"); }
    void ShowDetailReport(const TTest&, const TResultTest&) override { m_log.Add("report"); }

private:
    EventLog& m_log;
};

class FakeResults : public ResultsSink {
public:
    explicit FakeResults(EventLog& log) : m_log(log) {}
    QList<QByteArray> lines;
    void AppendLogLine(const QByteArray& line) override {
        lines.append(line);
        m_log.Add("log line");
    }
    void AppendResultBlock(const TTest&, const TResultTest&) override { m_log.Add("log block"); }
    void WriteProtectedResult(const TResultTest&) override { m_log.Add("protected file"); }

private:
    EventLog& m_log;
};

class FakeServer : public ServerLink {
public:
    explicit FakeServer(EventLog& log) : m_log(log) {}
    bool failProgress = false;
    int progress = 0;
    std::function<void()> duringExchange; // events the exchange lets through while it waits
    QByteArray startedId;
    void SendSessionStart(const TTest&, const TResultTest&, SessionLink& link) override {
        startedId = link.sessionId;
        m_log.Add("INFOBEGIN");
    }
    void SendProgress(const TTest&, const TResultTest&, SessionLink& link) override {
        ++progress;
        if (duringExchange)
            duringExchange();
        if (failProgress)
            link.online = false;
        m_log.Add("INFOPROCESS");
    }
    void SendResult(const TTest&, const TResultTest&, const SessionLink&) override { m_log.Add("RESULT"); }

private:
    EventLog& m_log;
};

class FakeWorkstation : public Workstation {
public:
    QByteArray ComputerName() override { return "PC-07"; }
    QByteArray LoginName() override { return "pupil"; }
};

// The right answer for a presented task, in display rows.
inline TaskAnswer RightAnswer(const TTask& task, const QList<qint32>& order) {
    TaskAnswer a;
    for (int r = 0; r < order.size(); ++r) {
        const qint32 v = order[r];
        if (task.Kind == SingleChoice && task.IsKeyRight(v))
            a.chosenRow = r;
        a.ticked.append(task.IsKeyRight(v));
        a.chosenIndex.append(task.Kind == TrueFalse ? task.Keys[size_t(v)] : task.Keys[size_t(v)] - 1);
    }
    if (task.Kind == InputNum)
        a.text = QByteArray::number(task.NumValue);
    if (task.Kind == InputText)
        a.text = AnswerLines(task.TextAnswers).value(0);
    if (task.Kind == PointOnPicture)
        a.point = QPoint(task.Area.Left, task.Area.Top);
    return a;
}

struct SessionFixture {
    EventLog log;
    TSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<TTest> test = std::make_unique<TTest>(dir.path(), dir.path(), QDateTime());
    QList<TTask> tasks;
    LoggingPrompts prompts{log};
    FakeView view{log};
    FakeResults results{log};
    FakeServer server{log};
    FakeWorkstation workstation;
    MemoryRunCounterStore runCounter;
    FixedClock clock{QDateTime(QDate(2026, 3, 2), QTime(9, 15, 0))};
    RandomGenerator random{[n = quint32(1)]() mutable { return n = n * 7919u + 13u; }};
    Session session{settings,
                    {view, prompts, results, server, runCounter, workstation, clock, random,
                     [](const QByteArray& q) { return "plain " + q; },
                     QLocale(QLocale::Ukrainian, QLocale::Ukraine)}};

    SessionFixture() {
        test->Title = Cp("Алгебра");
        test->FileName = "/tests/algebra.qzf";
        test->UId = "{11111111-2222-3333-4444-555555555555}";
        test->Crc = 0xCAFEF00Du;
        settings.IsSaveProtectionResult = true;
    }

    // A single-choice task of the given weight whose second variant is right.
    static TTask Choice(int weight = 1) {
        TTask t(SingleChoice);
        t.Question = "q";
        t.Weight = weight;
        t.Variants[0] = "a";
        t.Variants[1] = "b";
        t.Variants[2] = "c";
        t.Keys[1] = 1;
        return t;
    }

    // Attaches the tasks and starts with a valid name; false when the session did not start.
    bool Start(const QString& name = QStringLiteral("Иванов Иван"),
               const QString& group = QStringLiteral("10 А")) {
        session.AttachTest(*test, tasks);
        view.names.append(std::pair{name, group});
        session.BeginTest();
        return session.State() == SessionState::Testing;
    }

    const TaskPresentation& Shown() const { return view.presented.last(); }
    void AnswerRight() { view.answer = RightAnswer(*Shown().task, Shown().variantOrder); }
    void AnswerWrong() {
        view.answer = {};
        view.answer.text = "wrong";
    }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& m : prompts.messages)
            texts.append(m.text);
        return texts;
    }
};
