// The session's journal: writing each step as it is taken, and taking the steps again after a
// crash. Replaying runs the engine's own steps (AskTask, CheckAnswer, the moves between tasks) with
// the journal giving what the pupil, the random generator and the clocks gave the first time, and
// checks each evaluation against what was stored then.
#include "Session.h"

#include "SessionJournal.h"
#include "SessionTexts.h"
#include "model/DateTime.h"
#include "model/TextCodec.h"

#include <QSet>

#include <algorithm>
#include <limits>

// ---------------------------------------------------------------- writing

void Session::Journal(JournalStep step, qint32 clockTask) {
    if (!m_journal || m_replaying)
        return;
    JournalRecord record;
    record.wallMs = m_services.clock.Now().toMSecsSinceEpoch();
    if (m_result) {
        record.elapsedSeconds = m_result->ElapsedSeconds;
        if (clockTask >= 0) {
            record.clockTask = clockTask;
            record.clockTaskSeconds = m_result->GetTaskSeconds(clockTask);
        }
    }
    record.step = std::move(step);
    const bool wasHealthy = m_journal->Healthy();
    if (!m_journal->Append(record).Ok() && wasHealthy)
        TellJournalFailed();
}

void Session::TellJournalFailed() {
    // Once per spell: while the disk stays full every step tries again, without a word.
    RunOutput([this] {
        m_services.prompts.ShowMessage(SessionTexts::AttentionCaption(), SessionTexts::JournalWriteFailed(),
                                       MsgIcon::Warning);
    });
}

void Session::OpenJournal() {
    m_journal.reset();
    if (m_services.journalFolder.isEmpty())
        return;
    const TTest& test = *m_test;
    JournalBegin begin;
    begin.testPath = test.FileName;
    begin.testCrc = test.Crc;
    begin.testUId = test.UId;
    begin.testTitle = test.Title;
    begin.testTimeLimit = test.TestTimeLimit;
    begin.allowSendResults = test.AllowSendResults;
    begin.marks = test.Marks;
    begin.sessionId = m_link.sessionId;
    begin.result.CopyFrom(*m_result);
    begin.order = m_result->Order;
    JournalRecord record;
    record.wallMs = m_services.clock.Now().toMSecsSinceEpoch();
    record.step = std::move(begin);
    Status status;
    m_journal = SessionJournal::Create(SessionJournal::PathFor(m_services.journalFolder, m_link.sessionId),
                                       record, status, m_services.journalGate);
    if (!status.Ok())
        TellJournalFailed();
}

void Session::CloseJournal() {
    if (m_journal)
        static_cast<void>(m_journal->Remove());
    m_journal.reset();
}

void Session::RunJournalledOutput(JournalOutput output, const std::function<void()>& write) {
    Journal(JournalOutputMark{output, false}, -1);
    RunOutput(write);
    Journal(JournalOutputMark{output, true}, -1);
}

// ---------------------------------------------------------------- replaying

namespace {
bool IsPermutation(const QList<qint32>& order, qsizetype n) {
    if (order.size() != n)
        return false;
    QList<qint32> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (qsizetype i = 0; i < n; ++i)
        if (sorted[i] != i)
            return false;
    return true;
}
} // namespace

Status Session::Restore(const JournalFile& journal, Restored& restored) {
    auto refuse = [&](const QString& why) {
        return Status::Failed(Fault::Corrupt, QStringLiteral("%1: %2").arg(journal.path, why));
    };
    if (m_state != SessionState::TestLoaded || !m_test || m_busy > 0)
        return Status::Failed(Fault::Refused, QStringLiteral("a session cannot be resumed now"));
    const JournalBegin& begin = journal.Begin();
    if (begin.testCrc != m_test->Crc || begin.result.TaskCount() != qsizetype(m_tasks.size()))
        return refuse(QStringLiteral("the journal is of another test"));
    QSet<qint32> seen;
    for (qint32 t : begin.order) {
        if (t < 0 || size_t(t) >= m_tasks.size() || seen.contains(t))
            return refuse(QStringLiteral("an impossible order of tasks"));
        seen.insert(t);
    }
    if (begin.order.isEmpty())
        return refuse(QStringLiteral("a session without tasks"));

    auto result = std::make_unique<TResultTest>(0);
    result->CopyFrom(begin.result);
    result->Order = begin.order;
    result->Position = 0;
    result->AskedCount = 0;
    if (m_test->AllowSkipping)
        result->Visited = QList<qint32>(begin.order.size(), NeverShown);
    m_result = std::move(result);
    m_drafts.clear();
    m_link = {begin.sessionId, false};
    m_ending.reset();
    m_shownDraft.reset();
    m_taskShown = false;
    m_taskEvaluated = true; // nothing on screen before the first presentation
    m_taskClockRunning = false;
    m_testClockRunning = false;
    m_testTimeUp = false;
    m_taskTimeUp = false;
    m_state = SessionState::Testing;
    m_replaying = true;
    restored = Restored::Begun;
    Status replayed;
    for (qsizetype i = 1; i < journal.records.size() && replayed.Ok(); ++i) {
        if (journal.records[i].As<JournalFinish>())
            break; // the outputs of a finished session are not steps of it
        replayed = ReplayStep(journal.records[i], restored);
    }
    m_replaying = false;
    m_givenAnswer.reset();
    m_givenVariantOrder.reset();
    if (!replayed.Ok()) {
        m_result.reset();
        m_drafts.clear();
        m_ending.reset();
        m_link = {};
        m_state = SessionState::TestLoaded;
        return refuse(replayed.Detail());
    }
    return {};
}

Status Session::ReplayStep(const JournalRecord& record, Restored& restored) {
    TResultTest& r = *m_result;
    auto wrong = [](const QString& why) { return Status::Failed(Fault::Corrupt, why); };
    auto openPosition = [&](qint32 p) {
        return p >= 0 && p < r.Order.size() && (!m_test->AllowSkipping || r.Visited[p] != Answered);
    };
    if (m_ending && !record.As<JournalCheck>() && !record.As<JournalOutputMark>())
        return wrong(QStringLiteral("a step after the end"));
    r.ElapsedSeconds = record.elapsedSeconds;
    if (record.clockTask >= 0 && record.clockTask < r.TaskCount())
        r.SetTaskSeconds(record.clockTask, record.clockTaskSeconds);

    if (const auto* present = record.As<JournalPresent>()) {
        if (!m_taskEvaluated || !openPosition(present->position))
            return wrong(QStringLiteral("a task presented out of turn"));
        if (!m_test->AllowSkipping && restored != Restored::Begun && present->position != r.Position + 1)
            return wrong(QStringLiteral("a task presented out of order"));
        const TTask& task = m_tasks[size_t(r.Order[present->position])];
        const qsizetype variants = TTask::HasVariants(task.Kind) ? task.LastVariant() : 0;
        if (!IsPermutation(present->variantOrder, variants))
            return wrong(QStringLiteral("an impossible variant order"));
        r.Position = present->position;
        m_givenVariantOrder = present->variantOrder;
        AskTask();
        restored = Restored::Presented;
    } else if (const auto* check = record.As<JournalCheck>()) {
        if (m_taskEvaluated || check->position != r.Position || check->taskNumber != CurrentTaskNumber())
            return wrong(QStringLiteral("an answer to a task not on screen"));
        if (m_ending && m_ending->reason == TestEnd::ProgramClosed && check->answered)
            return wrong(QStringLiteral("an answer checked while closing"));
        m_givenAnswer = check->answer;
        CheckAnswer(check->answered);
        if (OutcomeOf(r, check->taskNumber) != check->outcome)
            return wrong(QStringLiteral("an answer that scores otherwise now"));
        restored = Restored::Checked;
    } else if (const auto* move = record.As<JournalMove>()) {
        if (!m_test->AllowSkipping || m_taskEvaluated || !openPosition(move->position) || !move->draft)
            return wrong(QStringLiteral("a move to a task that cannot be reached"));
        MoveTo(move->position, move->draft);
        restored = Restored::Moved;
    } else if (const auto* hint = record.As<JournalHint>()) {
        if (!r.Order.contains(hint->taskNumber) ||
            hint->penalty != m_tasks[size_t(hint->taskNumber)].HintPenalty)
            return wrong(QStringLiteral("a hint the task does not have"));
        r.SetTaskHintPenalty(hint->taskNumber, hint->penalty);
    } else if (const auto* end = record.As<JournalEnd>()) {
        m_ending = *end;
    } else if (record.As<JournalBegin>()) {
        return wrong(QStringLiteral("a second start"));
    }
    // The clocks alone, and the marks of outputs, change nothing else.
    return {};
}

void Session::ContinueJournal(const JournalFile& journal) {
    m_journal.reset();
    if (m_services.journalFolder.isEmpty())
        return;
    Status status;
    m_journal = SessionJournal::Continue(journal, status, m_services.journalGate);
    if (!status.Ok())
        TellJournalFailed();
}

void Session::AddTimeAway(const JournalFile& journal, Restored restored) {
    // The journal's last step and its clocks were written at the same moment; whatever time went by
    // since, the program running or not, is added. A clock set back gives nothing back.
    const qint64 away = journal.SecondsSinceLastStep(m_services.clock.Now());
    auto plus = [away](qint32 seconds) {
        return qint32(std::min<qint64>(qint64(seconds) + away, std::numeric_limits<qint32>::max()));
    };
    TResultTest& r = *m_result;
    r.ElapsedSeconds = plus(r.ElapsedSeconds);
    if (restored == Restored::Presented && !m_taskEvaluated)
        r.SetTaskSeconds(CurrentTaskNumber(), plus(r.GetTaskSeconds(CurrentTaskNumber())));
}

void Session::AnnounceResumed() {
    const TTest& test = *m_test;
    if (m_settings.IsSaveResult) {
        const QByteArray line =
            TextCodec::ToCp1251(FormatDateTime(m_services.clock.Now()) + SessionTexts::TestResumedLog()) +
            test.Title + '"';
        RunOutput([&] { m_services.results.AppendLogLine(line); });
    }
    m_link.online = true;
    RunOutput([&] { m_services.server.SendSessionStart(test, *m_result, m_link); });
}

Status Session::ResumeSession(const JournalFile& journal, ResumeClock clock) {
    Restored restored = Restored::Begun;
    if (Status status = Restore(journal, restored); !status.Ok())
        return status;
    if (m_ending) {
        ContinueJournal(journal);
        RunCommand([this] { FinishRestored(); });
        return {};
    }
    RunCommand([&] {
        ContinueJournal(journal);
        if (clock == ResumeClock::WallClock)
            AddTimeAway(journal, restored);
        TResultTest& r = *m_result;
        // The clocks as they now stand, before the pupil sees the session again.
        Journal(JournalClock{}, CurrentTaskNumber());
        AnnounceResumed();
        m_services.view.SessionStarted(StartView(r));
        if (m_test->AllowSkipping) {
            for (qint32 p = 0; p < r.Visited.size(); ++p) {
                if (r.Visited[p] == ShownOpen)
                    m_services.view.SetTaskListImage(p, TaskListImage::Shown);
                else if (r.Visited[p] == Answered)
                    m_services.view.SetTaskListImage(p, TaskListImage::Answered);
            }
        }
        m_services.view.SessionStateChanged(m_state);
        m_testClockRunning = true;
        switch (restored) {
        case Restored::Presented: {
            ShowTask();
            m_taskClockRunning = true;
            ShowClocks();
            const qint32 limit = m_tasks[size_t(CurrentTaskNumber())].TimeLimit;
            if (limit > 0 && r.GetTaskSeconds(CurrentTaskNumber()) >= limit) {
                m_taskClockRunning = false;
                m_taskTimeUp = true;
            }
            break;
        }
        case Restored::Checked:
            ShowClocks();
            MoveOn();
            break;
        case Restored::Begun:
        case Restored::Moved:
            ShowClocks();
            AskTask();
            break;
        }
        if (m_state != SessionState::Testing)
            return;
        if (m_test->MonoMode)
            m_services.view.EnterMonoMode();
        if (m_test->TestTimeLimit > 0 && r.ElapsedSeconds >= m_test->TestTimeLimit) {
            m_testClockRunning = false;
            m_testTimeUp = true;
        }
    });
    return {};
}

Status Session::FinishJournalled(const JournalFile& journal) {
    Restored restored = Restored::Begun;
    if (Status status = Restore(journal, restored); !status.Ok())
        return status;
    ContinueJournal(journal);
    // The time since the crash counts as used here too, as it does on continuing; a session that was
    // already ending had stopped its clocks.
    if (!m_ending)
        AddTimeAway(journal, restored);
    RunCommand([this] { FinishRestored(); });
    return {};
}

void Session::FinishRestored() {
    // The window follows the session into its finishing sequence, as after a start.
    RunOutput([&] { m_services.view.SessionStateChanged(m_state); });
    if (!m_ending) {
        Journal(JournalEnd{TestEnd::ProgramClosed, {}}, CurrentTaskNumber());
        m_ending = JournalEnd{TestEnd::ProgramClosed, {}};
    }
    const JournalEnd ending = *std::exchange(m_ending, std::nullopt);
    m_result->SetEndReason(ending.reason);
    if (!m_taskEvaluated) {
        // What the task on screen showed when the session was ending, evaluated as it would have
        // been then; closing counts it as not answered.
        m_givenAnswer = ending.answer;
        CheckAnswer(ending.reason != TestEnd::ProgramClosed);
    }
    FinishTest();
}
