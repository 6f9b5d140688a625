// The session engine with the real server link: what the teacher's server receives from a whole
// session, and a session that goes on untouched while the server never answers.
#include "../session/SessionFixture.h"
#include "FakeJournal.h"
#include "NetTesting.h"

#include "net/NetServerLink.h"
#include "net/Records.h"

#include <QTest>

namespace {
// The engine of SessionFixture, reporting through a NetServerLink to a scripted server.
struct LinkedSession {
    EventLog log;
    TSettings settings;
    QTemporaryDir dir;
    std::unique_ptr<TTest> test = std::make_unique<TTest>(dir.path(), dir.path(), QDateTime());
    QList<TTask> tasks{SessionFixture::Choice(2), SessionFixture::Choice(3), SessionFixture::Choice(1)};
    LoggingPrompts prompts{log};
    FakeView view{log};
    FakeResults results{log};
    FakeWorkstation workstation;
    MemoryRunCounterStore runCounter;
    FixedClock clock{QDateTime(QDate(2026, 3, 2), QTime(9, 15, 0))};
    RandomGenerator random{[n = quint32(1)]() mutable { return n = n * 7919u + 13u; }};
    FakeJournal journal;
    NetServerLink link{settings, dir.filePath(QStringLiteral("outbox"))};
    Session session{settings,
                    {view, prompts, results, link, runCounter, workstation, clock, random,
                     [](const QByteArray& q) { return q; }, QLocale(QLocale::Ukrainian, QLocale::Ukraine)}};

    explicit LinkedSession(ExchangeLimits limits) {
        settings.IsSendResult = true;
        settings.RemotePort = journal.Port();
        test->Title = "Algebra";
        link.SetLimits(limits);
    }

    // Answers every task: right, wrong, "I don't know".
    void RunSession() {
        test->PenaliseWrong = true;
        session.AttachTest(*test, tasks);
        view.names.append(std::pair{QStringLiteral("Иванов Иван"), QStringLiteral("10 А")});
        session.BeginTest();
        QVERIFY(session.State() == SessionState::Testing);
        view.answer = RightAnswer(*view.presented.last().task, view.presented.last().variantOrder);
        session.CheckAskTask();
        view.answer = {};
        session.CheckAskTask();
        session.IDoNotKnow();
        QVERIFY(session.State() == SessionState::TestLoaded);
    }

    bool WaitIdle() {
        QSignalSpy idle(&link, &NetServerLink::Idle);
        return link.IsIdle() || idle.wait(30000);
    }
};
} // namespace

class TestSessionLink : public QObject {
    Q_OBJECT
private slots:
    void serverReceivesTheWholeSession() {
        LinkedSession s(AnsweringLimits());
        s.RunSession();
        QVERIFY(s.WaitIdle());
        QCOMPARE(s.journal.Commands(),
                 (QList<QByteArray>{"INFOBEGIN", "QUIT", "INFOPROCESS", "QUIT", "INFOPROCESS", "QUIT",
                                    "INFOPROCESS", "QUIT", "RESULT", "QUIT"}));
        const QByteArray id = s.session.Link().sessionId;
        SessionStartRecord start;
        QVERIFY(DecodeStartRecord(s.journal.Requests("INFOBEGIN")[0].block, start).Ok());
        QCOMPARE(start.SessionId, id);
        QCOMPARE(start.UserName, Cp("Иванов Иван"));
        QCOMPARE(start.ComputerName, QByteArray("PC-07"));
        QCOMPARE(start.AskCount, 3);
        QCOMPARE(start.MaxScore, 6);

        // Progress as it stood after each check.
        QList<QList<qint32>> progress;
        for (const FakeRequest& r : s.journal.Requests("INFOPROCESS")) {
            QCOMPARE(r.block.size(), 70);
            ProgressRecord p;
            QVERIFY(DecodeProgressRecord(r.block, p).Ok());
            QCOMPARE(p.SessionId, id);
            progress.append({p.AskedCount, p.RightCount, p.WrongCount, p.DontKnowCount, p.CheckedMax});
        }
        const TResultTest& final = *s.view.finished;
        QCOMPARE(progress.last(), (QList<qint32>{final.AskedCount, final.RightCount, final.WrongCount,
                                                 final.DontKnowCount, final.CheckedMax}));
        QCOMPARE(progress.first()[1], 1); // the first answer was right
        QCOMPARE(progress.last()[3], 1);  // the last one "I don't know"

        const FakeRequest result = s.journal.Requests("RESULT")[0];
        QCOMPARE(result.lines, QList<QByteArray>{id});
        TResultTest sent;
        QVERIFY(DecodeResultRecord(result.block, sent).Ok());
        QVERIFY(sent.SameStoredFields(final));
        QVERIFY(!s.link.HasNotices());
    }

    // The pupil answers on while the reports time out one after the other in the background; the
    // engine itself never shows the failure, the window will.
    void sessionGoesOnWhileTheServerNeverAnswers() {
        LinkedSession s(SilentLimits());
        s.journal.silent = true;
        s.RunSession();
        QCOMPARE(s.view.summaries, 1);
        QVERIFY(!s.link.IsIdle());
        for (const auto& m : s.prompts.messages)
            QVERIFY2(m.text != NetTexts::NoConnection(), "the link showed a box itself");
        QVERIFY(s.WaitIdle());
        QCOMPARE(s.journal.Connections(), 2); // the start report and the result
        QCOMPARE(s.link.TakeNotices(), QList<Notice>{NetNotice::NoConnection()});
        QCOMPARE(Outbox(s.dir.filePath(QStringLiteral("outbox"))).Pending().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSessionLink)
#include "tst_sessionlink.moc"
