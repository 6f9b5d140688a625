#include "SessionRecovery.h"

#include "Scoring.h"
#include "Session.h"
#include "SessionJournal.h"
#include "SessionTexts.h"
#include "model/Crc32.h"
#include "model/DateTime.h"
#include "model/TextCodec.h"
#include "ports/Clock.h"
#include "settings/SettingsPassword.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace {

qint32 Plus(qint32 seconds, qint64 more) {
    return qint32(std::min<qint64>(qint64(seconds) + more, std::numeric_limits<qint32>::max()));
}

// The header of the journal's test, as far as the outputs of a finished session read it.
std::unique_ptr<TTest> HeaderOf(const JournalBegin& begin) {
    auto test = std::make_unique<TTest>(QString(), QString(), QDateTime());
    test->FileName = begin.testPath;
    test->Crc = begin.testCrc;
    test->UId = begin.testUId;
    test->Title = begin.testTitle;
    test->TestTimeLimit = begin.testTimeLimit;
    test->AllowSendResults = begin.allowSendResults;
    test->Marks = begin.marks;
    return test;
}

bool TestUnchanged(const JournalBegin& begin) {
    return QFileInfo(begin.testPath).isFile() && FileCrc32(begin.testPath) == begin.testCrc;
}

QString PupilText(const TResultTest& result) {
    const QByteArray group = result.UserGroup.isEmpty() ? QByteArray() : ", " + result.UserGroup;
    return TextCodec::FromCp1251(result.UserName + group);
}

} // namespace

ResumeOffer DescribeJournal(const JournalFile& journal, const QDateTime& now) {
    const JournalBegin& begin = journal.Begin();
    ResumeOffer offer;
    offer.userName = begin.result.UserName;
    offer.userGroup = begin.result.UserGroup;
    offer.testTitle = begin.testTitle;
    offer.askCount = begin.result.AskCount;
    for (const JournalRecord& record : journal.records)
        if (record.As<JournalCheck>())
            ++offer.answered;
    offer.elapsedSeconds =
        Plus(journal.records.constLast().elapsedSeconds, journal.SecondsSinceLastStep(now));
    if (begin.testTimeLimit > 0)
        offer.secondsLeft = std::max<qint32>(begin.testTimeLimit - offer.elapsedSeconds, 0);
    return offer;
}

TResultTest RebuildWithoutTest(const JournalFile& journal, const QDateTime& now) {
    const JournalBegin& begin = journal.Begin();
    TResultTest r(0);
    r.CopyFrom(begin.result);
    r.Order = begin.order;
    qint32 onScreen = -1; // the task presented and not yet evaluated
    qint32 onScreenWeight = 0;
    std::optional<TestEnd> ending;
    for (qsizetype i = 1; i < journal.records.size(); ++i) {
        const JournalRecord& record = journal.records[i];
        if (record.As<JournalFinish>())
            break;
        r.ElapsedSeconds = record.elapsedSeconds;
        if (record.clockTask >= 0)
            r.SetTaskSeconds(record.clockTask, record.clockTaskSeconds);
        if (const auto* present = record.As<JournalPresent>()) {
            onScreen = r.Order.value(present->position, -1);
            onScreenWeight = present->weight;
            ++r.AskedCount;
            if (onScreen >= 0)
                r.SetTaskSeconds(onScreen, r.GetTaskSeconds(onScreen) + 1); // the presentation's tick
        } else if (const auto* check = record.As<JournalCheck>()) {
            const CheckOutcome& o = check->outcome;
            r.SetTaskAnswer(check->taskNumber, o.answerText);
            r.SetTaskPoints(check->taskNumber, o.taskPoints);
            r.Score = o.score;
            r.CheckedMax = o.checkedMax;
            r.RightCount = o.rightCount;
            r.WrongCount = o.wrongCount;
            r.DontKnowCount = o.dontKnowCount;
            r.HintCount = o.hintCount;
            onScreen = -1;
        } else if (record.As<JournalMove>()) {
            --r.AskedCount;
            onScreen = -1;
        } else if (const auto* hint = record.As<JournalHint>()) {
            r.SetTaskHintPenalty(hint->taskNumber, hint->penalty);
        } else if (const auto* end = record.As<JournalEnd>()) {
            ending = end->reason;
        }
    }
    if (onScreen >= 0) {
        // Without the test its answer cannot be evaluated: it counts as not answered, as closing
        // the program counts it.
        TTask task;
        task.Weight = onScreenWeight;
        r.SetTaskAnswer(onScreen, {});
        ScoreTask(r, task, onScreen, false, false, 0, 0, {});
    }
    if (!ending)
        r.ElapsedSeconds = Plus(r.ElapsedSeconds, journal.SecondsSinceLastStep(now));
    r.SetEndReason(ending.value_or(TestEnd::ProgramClosed));
    r.EndTime = DateTimeToDouble(now);
    r.RecordedTime = r.EndTime;
    GradeResult(r, begin.marks);
    return r;
}

SessionRecovery::SessionRecovery(RecoveryServices services) : m_services(std::move(services)) {}

bool SessionRecovery::Run() {
    for (const QString& path : SessionJournal::Find(m_services.journalFolder)) {
        if (Recover(path))
            return true;
    }
    return false;
}

bool SessionRecovery::Recover(const QString& path) {
    JournalFile journal;
    if (!SessionJournal::Read(path, journal).Ok()) {
        const QString aside = SessionJournal::SetAside(path);
        m_services.prompts.ShowMessage(
            SessionTexts::ResumeCaption(),
            SessionTexts::JournalDamaged(QDir::toNativeSeparators(aside.isEmpty() ? path : aside)),
            MsgIcon::Warning);
        return false;
    }
    if (journal.Last<JournalFinish>()) {
        CompleteOutputs(journal);
        return false;
    }
    if (journal.Last<JournalEnd>()) {
        // The pupil had finished: nothing to offer, only the finishing to do.
        if (!LoadTest(journal) || !m_services.session.FinishJournalled(journal).Ok())
            FinishWithoutTest(journal);
        return false;
    }
    return Offer(journal);
}

bool SessionRecovery::Offer(const JournalFile& journal) {
    const JournalBegin& begin = journal.Begin();
    auto cannotResume = [&] {
        FinishWithoutTest(journal);
        m_services.prompts.ShowMessage(
            SessionTexts::ResumeCaption(),
            SessionTexts::CannotResume(TextCodec::FromCp1251(begin.testTitle), PupilText(begin.result)),
            MsgIcon::Warning);
        return false;
    };
    if (!TestUnchanged(begin))
        return cannotResume();
    while (true) {
        const QByteArray password =
            m_services.settingsPassword ? m_services.settingsPassword() : QByteArray();
        ResumeOffer offer = DescribeJournal(journal, m_services.clock.Now());
        offer.offerKeepingTime = !password.isEmpty();
        const ResumeChoice choice = m_services.askResume(offer);
        if (choice == ResumeChoice::ContinueKeepingTime &&
            (!offer.offerKeepingTime || !AskSettingsPassword(password, m_services.prompts)))
            continue;
        if (choice == ResumeChoice::Refuse &&
            !m_services.prompts.AskYesNo(SessionTexts::ResumeCaption(), SessionTexts::RefuseQuestion(),
                                         MsgIcon::Question))
            continue;
        if (!LoadTest(journal)) {
            // The file is there but did not open (its password was not given, say): the choice is
            // offered again, and refusing needs no test.
            if (choice != ResumeChoice::Refuse)
                continue;
            FinishWithoutTest(journal);
            return false;
        }
        if (choice == ResumeChoice::Refuse) {
            if (!m_services.session.FinishJournalled(journal).Ok())
                FinishWithoutTest(journal);
            return false;
        }
        const ResumeClock clock =
            choice == ResumeChoice::ContinueKeepingTime ? ResumeClock::AsJournalled : ResumeClock::WallClock;
        if (m_services.session.ResumeSession(journal, clock).Ok())
            return true;
        return cannotResume();
    }
}

bool SessionRecovery::LoadTest(const JournalFile& journal) {
    const JournalBegin& begin = journal.Begin();
    if (!TestUnchanged(begin) || !m_services.loadTest || !m_services.loadTest(begin.testPath))
        return false;
    const TTest* test = m_services.session.Test();
    return test && test->Crc == begin.testCrc && m_services.session.State() == SessionState::TestLoaded;
}

void SessionRecovery::FinishWithoutTest(const JournalFile& journal) {
    const QDateTime now = m_services.clock.Now();
    JournalFinish finish{RebuildWithoutTest(journal, now), {}};
    if (m_services.settings.IsSaveResult)
        finish.due.append(JournalOutput::ResultBlock);
    if (m_services.settings.IsSaveProtectionResult)
        finish.due.append(JournalOutput::ProtectedResult);
    finish.due.append(JournalOutput::ServerResult);
    Status status;
    std::unique_ptr<SessionJournal> writer = SessionJournal::Continue(journal, status);
    auto write = [&](JournalStep step) {
        JournalRecord record;
        record.wallMs = now.toMSecsSinceEpoch();
        record.elapsedSeconds = finish.result.ElapsedSeconds;
        record.step = std::move(step);
        static_cast<void>(writer->Append(record));
    };
    if (!journal.Last<JournalEnd>())
        write(JournalEnd{TestEnd(finish.result.EndReason), {}});
    write(finish);
    WriteOutputs(journal, *writer, finish);
}

void SessionRecovery::CompleteOutputs(const JournalFile& journal) {
    Status status;
    std::unique_ptr<SessionJournal> writer = SessionJournal::Continue(journal, status);
    WriteOutputs(journal, *writer, *journal.Last<JournalFinish>());
}

void SessionRecovery::WriteOutputs(const JournalFile& journal, SessionJournal& writer,
                                   const JournalFinish& finish) {
    const TResultTest& result = finish.result;
    const JournalBegin& begin = journal.Begin();
    QList<JournalOutput> begun;
    QList<JournalOutput> done;
    for (const JournalRecord& record : journal.records) {
        if (const auto* mark = record.As<JournalOutputMark>())
            (mark->done ? done : begun).append(mark->output);
    }
    auto mark = [&](JournalOutput output, bool finished) {
        JournalRecord record;
        record.wallMs = m_services.clock.Now().toMSecsSinceEpoch();
        record.elapsedSeconds = result.ElapsedSeconds;
        record.step = JournalOutputMark{output, finished};
        static_cast<void>(writer.Append(record));
    };
    auto holds = [&](JournalOutput output) {
        switch (output) {
        case JournalOutput::ResultBlock:
            return m_services.results.HoldsResultBlock(result);
        case JournalOutput::ProtectedResult:
            return m_services.results.HoldsProtectedResult(result);
        case JournalOutput::ServerResult:
            return m_services.server.HoldsResult(begin.sessionId);
        }
        return false;
    };
    const std::unique_ptr<TTest> test = HeaderOf(begin);
    const SessionLink link{begin.sessionId, false};
    for (JournalOutput output : finish.due) {
        if (done.contains(output))
            continue;
        // Begun and not noted done: the crash came while it was being written, or just after.
        if (begun.contains(output) && holds(output)) {
            mark(output, true);
            continue;
        }
        mark(output, false);
        switch (output) {
        case JournalOutput::ResultBlock:
            m_services.results.AppendResultBlock(*test, result);
            break;
        case JournalOutput::ProtectedResult:
            m_services.results.WriteProtectedResult(result);
            break;
        case JournalOutput::ServerResult:
            m_services.server.SendResult(*test, result, link);
            break;
        }
        mark(output, true);
    }
    static_cast<void>(writer.Remove());
}
