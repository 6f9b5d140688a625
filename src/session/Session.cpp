#include "Session.h"

#include "model/Utils.h"

#include "NameRules.h"
#include "RandomGenerator.h"
#include "RunCounter.h"
#include "SessionJournal.h"
#include "SessionTexts.h"
#include "TaskSelection.h"
#include "model/DateTime.h"
#include "model/TextCodec.h"

#include <QSysInfo>

#include <algorithm>
#include <exception>
#include <limits>

namespace {

QByteArray Trimmed(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && quint8(text[begin]) <= 32)
        ++begin;
    while (end > begin && quint8(text[end - 1]) <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString HintCaption(const TTask& task) {
    if (task.Hint.isEmpty())
        return {};
    if (task.HintPenalty <= 0)
        return QStringLiteral("Показати підказку?");
    return QStringLiteral("Показати підказку? Штраф %1 %2.")
        .arg(task.HintPenalty)
        .arg(PointsWord(task.HintPenalty));
}

QString HintQuestion(const TTask& task) {
    if (task.HintPenalty <= 0)
        return QStringLiteral("Показать подсказку?");
    return QStringLiteral("Показать подсказку?\r\nШтраф %1 %2.")
        .arg(task.HintPenalty)
        .arg(PointsWord(task.HintPenalty));
}

// How often the clocks are written to the journal between other steps: the most that resuming
// "without loss of time" can give back.
constexpr qint32 JournalClockSeconds = 5;

std::optional<qint32> Remaining(qint32 limit, qint32 used) {
    if (limit <= 0)
        return std::nullopt;
    return limit - used;
}

} // namespace

class Session::Busy {
public:
    explicit Busy(Session& session) : m_session(session) { ++m_session.m_busy; }
    ~Busy() { --m_session.m_busy; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    Session& m_session;
};

Session::Session(const TSettings& settings, SessionServices services)
    : m_settings(settings), m_services(std::move(services)) {}

Session::~Session() = default;

bool Session::AttachTest(const TTest& test, std::span<const TTask> tasks) {
    if (m_state == SessionState::Testing)
        return false;
    m_test = &test;
    m_tasks = tasks;
    m_state = SessionState::TestLoaded;
    m_plainWordings.clear();
    if (test.AllowSkipping) {
        m_plainWordings.reserve(tasks.size());
        for (const TTask& task : tasks)
            m_plainWordings.push_back({task.Question, PlainWordingOf(qint32(m_plainWordings.size()))});
    }
    return true;
}

QString Session::PlainWordingOf(qint32 taskNumber) const {
    const QByteArray& question = m_tasks[size_t(taskNumber)].Question;
    if (size_t(taskNumber) < m_plainWordings.size()) {
        const PlainWording& kept = m_plainWordings[size_t(taskNumber)];
        if (kept.question.constData() == question.constData() && kept.question.size() == question.size())
            return kept.plain;
    }
    return TextCodec::FromCp1251(m_services.toPlain ? m_services.toPlain(question) : question);
}

bool Session::DetachTest() {
    if (m_state == SessionState::Testing)
        return false;
    m_test = nullptr;
    m_tasks = {};
    m_plainWordings.clear();
    m_state = SessionState::NoTest;
    return true;
}

void Session::RunCommand(const std::function<void()>& body) {
    if (m_busy > 0)
        return;
    {
        Busy busy(*this);
        body();
    }
    RunDeferred();
}

void Session::RunDeferred() {
    while (m_busy == 0 && m_state == SessionState::Testing && (m_testTimeUp || m_taskTimeUp)) {
        Busy busy(*this);
        if (m_testTimeUp) {
            m_testTimeUp = false;
            m_taskTimeUp = false;
            TestTimeUp();
        } else {
            m_taskTimeUp = false;
            TaskTimeUp();
        }
    }
}

void Session::RunOutput(const std::function<void()>& output) {
    QString error;
    try {
        output();
        return;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = QStringLiteral("Невідома помилка");
    }
    try {
        m_services.prompts.ShowMessage(SessionTexts::ErrorCaption(), error, MsgIcon::Error);
    } catch (...) {
        // Nothing more can be done about it; the remaining outputs still run.
    }
}

const TTask* Session::CurrentTask() const {
    if (!m_result || m_state != SessionState::Testing)
        return nullptr;
    const qint32 t = CurrentTaskNumber();
    return t >= 0 && size_t(t) < m_tasks.size() ? &m_tasks[size_t(t)] : nullptr;
}

qint32 Session::CurrentTaskNumber() const {
    return m_result ? m_result->Order.value(m_result->Position, -1) : -1;
}

// ---------------------------------------------------------------- starting

void Session::BeginTest() {
    RunCommand([this] {
        if (m_state != SessionState::TestLoaded || !m_test)
            return;
        Start();
    });
}

bool Session::Start() {
    const TTest& test = *m_test;
    if (!CheckStartPassword())
        return false;
    const std::optional<std::pair<QByteArray, QByteArray>> pupil = AskPupil();
    if (!pupil)
        return false;
    if (!WithinRunLimit())
        return false;
    m_services.view.ShowTestInstruction(test);

    std::unique_ptr<TResultTest> result = NewResult(pupil->first, pupil->second);
    if (result->Order.isEmpty()) {
        m_services.prompts.ShowMessage(SessionTexts::AttentionCaption(), SessionTexts::NoTasks(),
                                       MsgIcon::Warning);
        return false;
    }
    const SessionStartView start = StartView(*result);
    m_result = std::move(result);
    m_drafts.clear();
    m_link.sessionId = NewGuidString();
    m_link.online = true;
    Announce();
    m_services.view.SessionStarted(start);

    m_result->StartTime = DateTimeToDouble(m_services.clock.Now());
    m_state = SessionState::Testing;
    m_services.view.SessionStateChanged(m_state);
    m_testClockRunning = true;
    m_testTimeUp = false;
    m_taskTimeUp = false;
    m_result->Position = 0;
    m_result->AskedCount = 0;
    OpenJournal();
    AskTask();
    if (test.MonoMode)
        m_services.view.EnterMonoMode();
    return true;
}

bool Session::CheckStartPassword() {
    const QByteArray& password = m_test->StartPassword;
    if (password.isEmpty())
        return true;
    QByteArray entered;
    if (!m_services.prompts.AskPassword(entered))
        return false;
    if (entered != password) {
        m_services.prompts.ShowMessage(SessionTexts::ErrorCaption(), SessionTexts::WrongPassword(),
                                       MsgIcon::Error);
        return false;
    }
    return true;
}

std::optional<std::pair<QByteArray, QByteArray>> Session::AskPupil() {
    if (m_dialogName.isEmpty() || !m_settings.IsSaveLastUser)
        m_dialogName = m_settings.DefaultUserName;
    if (m_dialogGroup.isEmpty() || !m_settings.IsSaveLastUser)
        m_dialogGroup = m_settings.DefaultUserGroup;
    NameDialogData dialog{m_dialogName,
                          m_dialogGroup,
                          m_settings.TitleUserName,
                          m_settings.TitleUserGroup,
                          m_settings.UserNameExpression,
                          m_settings.UserGroupExpression,
                          m_settings.UserNameExample,
                          m_settings.UserGroupExample};
    const bool confirmed = m_services.view.AskUserName(dialog);
    m_dialogName = dialog.userName;
    m_dialogGroup = dialog.userGroup;
    if (!confirmed)
        return std::nullopt;
    const QByteArray userName = Trimmed(dialog.userName);
    if (userName.isEmpty())
        return std::nullopt;
    return std::pair{userName, Trimmed(dialog.userGroup)};
}

bool Session::WithinRunLimit() {
    const TTest& test = *m_test;
    if (test.MaxRuns <= 0 || CountTestRun(m_services.runCounter, test.UId) < test.MaxRuns)
        return true;
    m_services.prompts.ShowMessage(SessionTexts::AttentionCaption(),
                                   SessionTexts::RunLimitReached(test.MaxRuns), MsgIcon::Error);
    return false;
}

std::unique_ptr<TResultTest> Session::NewResult(const QByteArray& userName, const QByteArray& userGroup) {
    const TTest& test = *m_test;
    auto result = std::make_unique<TResultTest>(int(m_tasks.size()));
    result->UserName = userName;
    result->UserGroup = userGroup;
    result->TestFileName = TextCodec::ToCp1251(test.FileName);
    result->TestCrc = qint32(test.Crc);
    result->TestUId = test.UId;
    result->TestTitle = test.Title;
    result->ComputerName = m_services.workstation.ComputerName();
    result->LoginName = m_services.workstation.LoginName();
    result->Order = ChooseTaskOrder(test, m_tasks, m_services.random);
    result->AskCount = qint32(result->Order.size());
    qint64 maxScore = 0;
    for (qint32 t : result->Order)
        maxScore += m_tasks[size_t(t)].Weight;
    result->MaxScore = qint32(
        std::clamp<qint64>(maxScore, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
    if (test.AllowSkipping)
        result->Visited = QList<qint32>(result->Order.size(), NeverShown);
    return result;
}

SessionStartView Session::StartView(const TResultTest& result) const {
    const TTest& test = *m_test;
    SessionStartView start;
    start.askCount = result.AskCount;
    start.offerDontKnow = test.PenaliseWrong;
    start.offerSkipping = test.AllowSkipping;
    if (test.AllowSkipping) {
        start.taskWordings.reserve(result.Order.size());
        for (const qint32 t : result.Order)
            start.taskWordings.append(PlainWordingOf(t));
    }
    return start;
}

void Session::Announce() {
    const TTest& test = *m_test;
    if (m_settings.IsSaveResult) {
        const QByteArray line =
            TextCodec::ToCp1251(FormatDateTime(m_services.clock.Now()) + QStringLiteral(" Начат тест: \"")) +
            test.Title + '"';
        RunOutput([&] { m_services.results.AppendLogLine(line); });
    }
    RunOutput([&] { m_services.server.SendSessionStart(test, *m_result, m_link); });
}

// ---------------------------------------------------------------- presenting

void Session::AskTask() {
    if (m_state != SessionState::Testing || !m_result)
        return;
    TResultTest& r = *m_result;
    ++r.AskedCount;
    if (m_test->AllowSkipping) {
        r.Visited[r.Position] = ShownOpen;
        if (!m_replaying)
            m_services.view.SetTaskListImage(r.Position, TaskListImage::Shown);
    }
    const qint32 t = CurrentTaskNumber();
    const TTask& task = m_tasks[size_t(t)];
    const std::optional<Draft> draft =
        m_drafts.contains(r.Position) ? std::optional(m_drafts.take(r.Position)) : std::nullopt;
    r.VariantOrder.clear();
    if (m_givenVariantOrder) {
        r.VariantOrder = *std::exchange(m_givenVariantOrder, std::nullopt);
    } else if (draft) {
        r.VariantOrder = draft->variantOrder;
    } else if (TTask::HasVariants(task.Kind)) {
        for (int v = 0; v < task.LastVariant(); ++v)
            r.VariantOrder.append(v);
        if (m_test->RandomVariantOrder == 1)
            ShuffleIndexes(r.VariantOrder, m_services.random);
    }
    m_taskEvaluated = false;
    m_taskTimeUp = false;
    m_shownDraft = draft ? std::optional(draft->answer) : std::nullopt;
    Journal(JournalPresent{r.Position, r.VariantOrder, task.Weight}, t);
    if (!m_replaying)
        ShowTask();
    m_taskClockRunning = true;
    TaskTick();
}

void Session::ShowTask() {
    const TResultTest& r = *m_result;
    const qint32 t = CurrentTaskNumber();
    const TTask& task = m_tasks[size_t(t)];
    m_taskShown = true;
    m_services.view.PresentTask(
        {&task, t, r.Position, r.AskCount, r.AskedCount, r.VariantOrder, HintCaption(task)});
    if (m_shownDraft)
        m_services.view.RestoreAnswer(*m_shownDraft);
}

void Session::GoToTask(qint32 position) {
    RunCommand([&] {
        if (m_state != SessionState::Testing || !m_test->AllowSkipping)
            return;
        TResultTest& r = *m_result;
        if (position < 0 || position >= r.Visited.size())
            return;
        if (r.Visited[position] != Answered && position != r.Position)
            LeaveTaskFor(position);
    });
}

void Session::SkipTask() {
    RunCommand([&] {
        if (m_state != SessionState::Testing || !m_test->AllowSkipping)
            return;
        TResultTest& r = *m_result;
        qint32 found = -1;
        for (qint32 p = r.Position + 1; p < r.Visited.size() && found < 0; ++p) {
            if (r.Visited[p] != Answered)
                found = p;
        }
        for (qint32 p = 0; p <= r.Position && p < r.Visited.size() && found < 0; ++p) {
            if (r.Visited[p] != Answered)
                found = p;
        }
        if (found < 0)
            return;
        LeaveTaskFor(found);
    });
}

void Session::LeaveTaskFor(qint32 position) {
    std::optional<TaskAnswer> draft;
    if (!m_taskEvaluated)
        draft = m_services.view.CurrentAnswer();
    Journal(JournalMove{position, draft}, CurrentTaskNumber());
    MoveTo(position, draft);
    AskTask();
}

void Session::MoveTo(qint32 position, const std::optional<TaskAnswer>& draft) {
    TResultTest& r = *m_result;
    if (draft)
        m_drafts.insert(r.Position, {r.VariantOrder, *draft});
    r.Position = position;
    --r.AskedCount;
    // Nothing is on screen to evaluate until the next task is presented.
    m_taskEvaluated = true;
    m_taskClockRunning = false;
}

TaskAnswer Session::OnScreenAnswer() {
    return m_taskEvaluated || !m_result ? TaskAnswer{} : m_services.view.CurrentAnswer();
}

// ---------------------------------------------------------------- evaluating

void Session::CheckAskTask() {
    RunCommand([this] {
        if (m_state != SessionState::Testing)
            return;
        CheckAnswer(true);
        MoveOn();
    });
}

void Session::IDoNotKnow() {
    RunCommand([this] {
        if (m_state != SessionState::Testing || !m_test->PenaliseWrong)
            return;
        CheckAnswer(false);
        MoveOn();
    });
}

bool Session::CheckAnswer(bool answered) {
    if (m_state != SessionState::Testing || !m_result || m_taskEvaluated)
        return false;
    m_taskEvaluated = true;
    m_taskClockRunning = false;
    m_taskTimeUp = false;
    if (!m_replaying)
        RunOutput([&] { m_services.view.ReleaseTaskPicture(); });
    TResultTest& r = *m_result;
    if (m_test->AllowSkipping)
        r.Visited[r.Position] = Answered;
    const qint32 t = CurrentTaskNumber();
    const TTask& task = m_tasks[size_t(t)];
    const TaskAnswer answer =
        m_givenAnswer ? *std::exchange(m_givenAnswer, std::nullopt) : m_services.view.CurrentAnswer();
    Evaluation e;
    if (answered)
        e = EvaluateAnswer(task, r.VariantOrder, answer, m_services.locale);
    r.SetTaskAnswer(t, e.answerText);
    ScoreTask(r, task, t, answered, e.right, e.matches, e.mismatches,
              {m_test->WholeAnswerOnly, m_test->PenaliseWrong});
    Journal(JournalCheck{r.Position, t, answered, answer, OutcomeOf(r, t)}, t);
    if (m_replaying)
        return true;
    // A task that is not on screen (a session finished from its journal) has nothing to mark.
    if (!e.right && m_test->EducationMode && m_taskShown)
        RunOutput([&] { ShowFeedback(task, answer); });
    if (m_test->AllowSkipping)
        m_services.view.SetTaskListImage(r.Position, TaskListImage::Answered);
    if (m_link.online)
        RunOutput([&] { m_services.server.SendProgress(*m_test, r, m_link); });
    return true;
}

void Session::ShowFeedback(const TTask& task, const TaskAnswer& answer) {
    const Feedback f = BuildFeedback(task, m_result->VariantOrder, answer, m_settings, m_services.locale);
    m_services.view.ShowFeedback(f);
    if (f.offerExplanation) {
        if (m_services.prompts.AskYesNo(SessionTexts::AppCaption(), ExplanationQuestion(f.message),
                                        MsgIcon::Information))
            m_services.view.ShowRichText(SessionTexts::ExplanationViewerCaption(), task.Explanation);
    } else {
        m_services.prompts.ShowMessage(SessionTexts::AppCaption(), f.message, MsgIcon::Information);
    }
    m_services.view.ClearFeedback();
}

void Session::MoveOn() {
    if (m_state != SessionState::Testing)
        return;
    TResultTest& r = *m_result;
    qint32 next = -1;
    if (m_test->AllowSkipping) {
        for (qint32 p = r.Position + 1; p < r.Visited.size() && next < 0; ++p) {
            if (r.Visited[p] != Answered)
                next = p;
        }
        for (qint32 p = 0; p < r.Position && next < 0; ++p) {
            if (r.Visited[p] != Answered)
                next = p;
        }
    } else if (r.Position < r.Order.size() - 1) {
        next = r.Position + 1;
    }
    if (next < 0) {
        Journal(JournalEnd{TestEnd::AllAnswered, {}}, -1);
        r.SetEndReason(TestEnd::AllAnswered);
        FinishTest();
        return;
    }
    if (m_testTimeUp) {
        // The test's time ran out while this task's feedback or a server exchange was going on:
        // the session ends here instead of presenting a task nobody can answer.
        m_testTimeUp = false;
        TestTimeUp();
        return;
    }
    r.Position = next;
    AskTask();
}

void Session::ShowPromptTask() {
    RunCommand([this] {
        const TTask* task = CurrentTask();
        if (!task || task->Hint.isEmpty())
            return;
        const qint32 t = CurrentTaskNumber();
        if (task->HintPenalty != 0 && m_result->GetTaskHintPenalty(t) < 0) {
            if (!m_services.prompts.AskYesNo(SessionTexts::AppCaption(), HintQuestion(*task),
                                             MsgIcon::Question))
                return;
        }
        if (!m_result)
            return;
        if (m_result->GetTaskHintPenalty(t) != task->HintPenalty) {
            m_result->SetTaskHintPenalty(t, task->HintPenalty);
            Journal(JournalHint{t, task->HintPenalty}, t);
        }
        m_services.view.ShowRichText(SessionTexts::HintViewerCaption(), task->Hint);
    });
}

// ---------------------------------------------------------------- clocks

void Session::TaskTick() {
    if (m_state != SessionState::Testing || !m_taskClockRunning || !m_result)
        return;
    const qint32 t = CurrentTaskNumber();
    const qint32 seconds = m_result->GetTaskSeconds(t) + 1;
    m_result->SetTaskSeconds(t, seconds);
    if (m_replaying)
        return;
    const qint32 limit = m_tasks[size_t(t)].TimeLimit;
    m_services.view.ShowTaskClock(seconds, Remaining(limit, seconds));
    if (limit > 0 && seconds >= limit) {
        m_taskClockRunning = false;
        m_taskTimeUp = true;
        RunDeferred();
    }
}

void Session::TestTick() {
    if (m_state != SessionState::Testing || !m_testClockRunning || !m_result)
        return;
    m_result->AddSecond();
    const qint32 seconds = m_result->ElapsedSeconds;
    m_services.view.ShowTestClock(seconds, Remaining(m_test->TestTimeLimit, seconds));
    if (m_test->TestTimeLimit > 0 && seconds >= m_test->TestTimeLimit) {
        m_testClockRunning = false;
        m_testTimeUp = true;
    } else if (seconds % JournalClockSeconds == 0) {
        // Inside the guard: a message about the journal lets ticks through, and what they set off
        // waits until it is closed.
        Busy busy(*this);
        Journal(JournalClock{}, CurrentTaskNumber());
    }
    RunDeferred();
}

void Session::ShowClocks() {
    const TResultTest& r = *m_result;
    m_services.view.ShowTestClock(r.ElapsedSeconds, Remaining(m_test->TestTimeLimit, r.ElapsedSeconds));
    const qint32 t = CurrentTaskNumber();
    const qint32 seconds = std::max(r.GetTaskSeconds(t), 0);
    m_services.view.ShowTaskClock(seconds, Remaining(m_tasks[size_t(t)].TimeLimit, seconds));
}

void Session::TaskTimeUp() {
    if (m_state != SessionState::Testing || m_taskEvaluated)
        return;
    m_services.prompts.ShowMessage(SessionTexts::WarningCaption(), SessionTexts::TaskTimeUp(),
                                   MsgIcon::Warning);
    if (CheckAnswer(true))
        MoveOn();
}

void Session::TestTimeUp() {
    if (m_state != SessionState::Testing)
        return;
    m_testClockRunning = false;
    Journal(JournalEnd{TestEnd::TimeUp, OnScreenAnswer()}, CurrentTaskNumber());
    CheckAnswer(true); // does nothing when the task on screen was already evaluated
    if (m_state != SessionState::Testing)
        return;
    m_result->SetEndReason(TestEnd::TimeUp);
    m_services.prompts.ShowMessage(SessionTexts::WarningCaption(), SessionTexts::TestTimeUp(),
                                   MsgIcon::Warning);
    FinishTest();
}

// ---------------------------------------------------------------- ending

void Session::EndTest() {
    RunCommand([this] {
        if (m_state != SessionState::Testing)
            return;
        if (!m_services.prompts.AskYesNo(SessionTexts::RunningCaption(), SessionTexts::StopTestQuestion(),
                                         MsgIcon::Question))
            return;
        if (m_state != SessionState::Testing)
            return;
        Journal(JournalEnd{TestEnd::Stopped, OnScreenAnswer()}, CurrentTaskNumber());
        m_result->SetEndReason(TestEnd::Stopped);
        CheckAnswer(true);
        FinishTest();
    });
}

bool Session::RequestClose() {
    if (m_state != SessionState::Testing)
        return true;
    if (m_busy > 0)
        return false; // a dialog of the session is open; it has to be closed first
    bool mayClose = false;
    RunCommand([&] {
        if (!m_services.prompts.AskYesNo(SessionTexts::RunningCaption(), SessionTexts::CloseQuestion(),
                                         MsgIcon::Question))
            return;
        if (m_state == SessionState::Testing) {
            Journal(JournalEnd{TestEnd::ProgramClosed, {}}, CurrentTaskNumber());
            m_result->SetEndReason(TestEnd::ProgramClosed);
            m_taskClockRunning = false;
            CheckAnswer(false);
            FinishTest();
        }
        mayClose = true;
    });
    return mayClose;
}

bool Session::ShowsReport() const {
    if (m_test->EducationMode)
        return m_settings.IsShowDetailReportModeEducation && m_test->ReportInEducationMode;
    return m_settings.IsShowDetailReportModeNormal && m_test->ReportInNormalMode;
}

void Session::FinishTest() {
    if (m_state != SessionState::Testing || !m_result)
        return;
    m_state = SessionState::TestLoaded;
    m_testClockRunning = false;
    m_taskClockRunning = false;
    RunOutput([&] { m_services.view.SessionStateChanged(m_state); });
    m_testTimeUp = false;
    m_taskTimeUp = false;
    TResultTest& r = *m_result;
    const TTest& test = *m_test;
    r.EndTime = DateTimeToDouble(m_services.clock.Now());
    r.RecordedTime = r.EndTime;
    RunOutput([&] { m_services.view.ResetAnswerArea(); });
    GradeResult(r, test.Marks);
    {
        QList<JournalOutput> due;
        if (m_settings.IsSaveResult)
            due.append(JournalOutput::ResultBlock);
        if (m_settings.IsSaveProtectionResult)
            due.append(JournalOutput::ProtectedResult);
        due.append(JournalOutput::ServerResult);
        Journal(JournalFinish{r, due}, -1);
    }
    RunOutput([&] { m_services.view.PlayEndSound(); });
    RunOutput([&] { m_services.view.ShowEndSummary(test, r); });
    if (m_settings.IsSaveResult)
        RunJournalledOutput(JournalOutput::ResultBlock,
                            [&] { m_services.results.AppendResultBlock(test, r); });
    if (m_settings.IsSaveProtectionResult)
        RunJournalledOutput(JournalOutput::ProtectedResult,
                            [&] { m_services.results.WriteProtectedResult(r); });
    RunJournalledOutput(JournalOutput::ServerResult, [&] { m_services.server.SendResult(test, r, m_link); });
    if (m_settings.IsShowUserResult) {
        RunOutput([&] { m_services.view.ShowResultWindow(test, r); });
    } else {
        RunOutput([&] {
            m_services.prompts.ShowMessage(SessionTexts::ResultsCaption(), SessionTexts::ResultsWithTeacher(),
                                           MsgIcon::Warning);
        });
    }
    if (ShowsReport())
        RunOutput([&] { m_services.view.ShowDetailReport(test, r); });
    m_result.reset();
    m_drafts.clear();
    m_taskShown = false;
    if (test.MonoMode)
        RunOutput([&] { m_services.view.LeaveMonoMode(); });
    // Only now that every output has run: until here a crash finishes what is missing.
    CloseJournal();
}

// ---------------------------------------------------------------- workstation

QByteArray SystemWorkstation::ComputerName() {
    return GetComputerNameStr();
}

QByteArray SystemWorkstation::LoginName() {
    return GetLoginName();
}
