// The engine's link to the teacher's server against a scripted server: the reports of a session in
// order and in the background, what a failed start or progress report stops and what it does not,
// bounded waits on a server that never answers, the outbox that keeps every result until the server
// has it, and the fetch through the same queue.
#include "FakeJournal.h"
#include "NetTesting.h"

#include "model/Test.h"
#include "net/NetServerLink.h"
#include "net/Records.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray IdA = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";
const QByteArray IdB = "{7C9E6679-7425-40DE-944B-E07FC1F90AE7}";
const QByteArray IdC = "{A3BB189E-8BF9-3888-9912-ACE4E6543002}";

// Bounds for a server that hangs on one request and answers the others.
ExchangeLimits MixedLimits() {
    return {5000, 1500, 1500, 3000, 500};
}

TResultTest Result(const QByteArray& user) {
    TResultTest r(2);
    r.UserName = user;
    r.UserGroup = "9";
    r.TestTitle = "Fractions";
    r.AskCount = 2;
    r.MaxScore = 3;
    return r;
}

// The reports the server received, without the "QUIT" after each.
QList<QByteArray> Reports(const FakeJournal& journal) {
    QList<QByteArray> out = journal.Commands();
    out.removeAll("QUIT");
    return out;
}

QByteArray SessionOf(const FakeRequest& r) {
    if (r.command == "RESULT")
        return r.lines.value(0);
    if (r.command == "INFOBEGIN") {
        SessionStartRecord start;
        return DecodeStartRecord(r.block, start).Ok() ? start.SessionId : QByteArray("?");
    }
    ProgressRecord progress;
    return DecodeProgressRecord(r.block, progress).Ok() ? progress.SessionId : QByteArray("?");
}

// "COMMAND session" per report received.
QStringList Trace(const FakeJournal& journal) {
    QStringList out;
    for (const FakeRequest& r : journal.requests)
        if (r.command != "QUIT")
            out.append(QString::fromLatin1(
                r.command + ' ' +
                (r.block.isEmpty() && r.command != "RESULT" ? QByteArray("-") : SessionOf(r))));
    return out;
}

QString T(const char* command, const QByteArray& id) {
    return QString::fromLatin1(QByteArray(command) + ' ' + id);
}
} // namespace

class TestServerLink : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeJournal> m_journal;
    TSettings m_settings;
    std::unique_ptr<TTest> m_test;

    QString OutboxFolder() const { return m_dir->filePath(QStringLiteral("outbox")); }

    std::unique_ptr<NetServerLink> MakeLink(ExchangeLimits limits = AnsweringLimits()) {
        auto link = std::make_unique<NetServerLink>(m_settings, OutboxFolder());
        link->SetLimits(limits);
        link->SetComputerName("PC04");
        return link;
    }

    static bool WaitIdle(NetServerLink& link) {
        QSignalSpy idle(&link, &NetServerLink::Idle);
        return link.IsIdle() || idle.wait(30000);
    }

    // A whole session as the engine reports it, every call made before any report has gone out.
    void Session(NetServerLink& link, const QByteArray& id, int answers) {
        TResultTest r = Result("pupil " + id.mid(1, 4));
        SessionLink session{id, true};
        link.SendSessionStart(*m_test, r, session);
        for (int i = 1; i <= answers; ++i) {
            r.AskedCount = i;
            r.RightCount = i;
            r.CheckedMax = i;
            if (session.online)
                link.SendProgress(*m_test, r, session);
        }
        link.SendResult(*m_test, r, session);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_journal = std::make_unique<FakeJournal>();
        m_settings = TSettings{};
        m_settings.IsSendResult = true;
        m_settings.RemoteHost = "127.0.0.1";
        m_settings.RemotePort = m_journal->Port();
        m_test = std::make_unique<TTest>(QString(), QString(), QDateTime());
    }

    void sessionReportsGoOutInOrderInTheBackground() {
        auto link = MakeLink();
        TResultTest r = Result("Olena");
        SessionLink session{IdA, true};
        link->SendSessionStart(*m_test, r, session);
        for (int i = 1; i <= 2; ++i) {
            r.AskedCount = i;
            r.WrongCount = i;
            r.CheckedMax = 2 * i;
            link->SendProgress(*m_test, r, session);
        }
        link->SendResult(*m_test, r, session);
        // Every call returned at once; the reports go out afterwards.
        QVERIFY(!link->IsIdle());
        // The result is on disk before it is sent.
        QCOMPARE(Outbox(OutboxFolder()).Pending().size(), 1);

        QVERIFY(WaitIdle(*link));
        QCOMPARE(Reports(*m_journal),
                 (QList<QByteArray>{"INFOBEGIN", "INFOPROCESS", "INFOPROCESS", "RESULT"}));
        QCOMPARE(m_journal->Connections(), 4);
        const QList<FakeRequest> progress = m_journal->Requests("INFOPROCESS");
        for (int i = 0; i < 2; ++i) {
            ProgressRecord p;
            QVERIFY(DecodeProgressRecord(progress[i].block, p).Ok());
            QCOMPARE(p.SessionId, IdA);
            QCOMPARE(p.AskedCount, i + 1);
            QCOMPARE(p.CheckedMax, 2 * (i + 1));
        }
        SessionStartRecord start;
        QVERIFY(DecodeStartRecord(m_journal->Requests("INFOBEGIN")[0].block, start).Ok());
        QCOMPARE(start, StartRecordOf(Result("Olena"), IdA));
        const FakeRequest result = m_journal->Requests("RESULT")[0];
        QCOMPARE(result.lines, QList<QByteArray>{IdA});
        QCOMPARE(result.block, EncodeResultRecord(r));

        QVERIFY(session.online);
        QVERIFY(!link->HasNotices());
        QVERIFY(Outbox(OutboxFolder()).Pending().isEmpty());
    }

    void nothingGoesOutWhenSendingIsOff_data() {
        QTest::addColumn<bool>("isSendResult");
        QTest::addColumn<bool>("allowSendResults");
        QTest::newRow("IsSendResult off") << false << true;
        QTest::newRow("test forbids sending") << true << false;
    }
    void nothingGoesOutWhenSendingIsOff() {
        QFETCH(bool, isSendResult);
        QFETCH(bool, allowSendResults);
        m_settings.IsSendResult = isSendResult;
        m_test->AllowSendResults = allowSendResults;
        auto link = MakeLink();
        Session(*link, IdA, 2);
        link->DeliverOutbox();
        QVERIFY(link->IsIdle());
        QCOMPARE(link->FetchTest({}, {}), isSendResult);
        if (isSendResult)
            QVERIFY(WaitIdle(*link));
        QCOMPARE(m_journal->Connections(), isSendResult ? 1 : 0); // the fetch only
        QVERIFY(!QDir(OutboxFolder()).exists());
    }

    void failedStartDropsProgressButTheResultIsStillSent() {
        m_journal->hangOnce = "INFOBEGIN";
        auto link = MakeLink(MixedLimits());
        QSignalSpy pending(link.get(), &NetServerLink::NoticesPending);
        TResultTest r = Result("Olena");
        SessionLink session{IdA, true};
        link->SendSessionStart(*m_test, r, session);
        // Answers checked while the start report is still under way wait behind it.
        link->SendProgress(*m_test, r, session);
        link->SendProgress(*m_test, r, session);
        QVERIFY(pending.wait(30000));
        QVERIFY(!link->IsSessionOnline(IdA));
        // The waiting progress reports were dropped, and no new one is taken.
        QVERIFY(link->IsIdle());
        link->SendProgress(*m_test, r, session);
        QVERIFY(!session.online);
        QVERIFY(link->IsIdle());
        link->SendResult(*m_test, r, session);
        QVERIFY(WaitIdle(*link));

        QCOMPARE(Reports(*m_journal), (QList<QByteArray>{"INFOBEGIN", "RESULT"}));
        QCOMPARE(link->TakeNotices(), QList<Notice>{NetNotice::NoConnection()});
        QCOMPARE(NetNotice::NoConnection().text, QStringLiteral("Нет связи с сервером!"));
        QCOMPARE(NetNotice::NoConnection().caption, QStringLiteral("Ошибка!"));
        QCOMPARE(NetNotice::NoConnection().icon, MsgIcon::Error);
        QVERIFY(Outbox(OutboxFolder()).Pending().isEmpty());
    }

    // A progress report of one session fails while the next session has already begun.
    void lateFailureTouchesOnlyItsOwnSession() {
        m_journal->hangOnce = "INFOPROCESS";
        auto link = MakeLink(MixedLimits());
        Session(*link, IdA, 2);
        Session(*link, IdB, 1);
        QVERIFY(WaitIdle(*link));
        QCOMPARE(Trace(*m_journal),
                 (QStringList{T("INFOBEGIN", IdA), T("INFOPROCESS", "-"), T("RESULT", IdA),
                              T("INFOBEGIN", IdB), T("INFOPROCESS", IdB), T("RESULT", IdB)}));
        QVERIFY(link->IsSessionOnline(IdB));
        QCOMPARE(link->TakeNotices().size(), 1);
    }

    // A server that takes the connection and never answers: every report ends within its bound,
    // the session's calls never waited, and the result waits in the outbox until it is delivered,
    // once.
    void silentServerThenDeliveryExactlyOnce() {
        m_journal->silent = true;
        auto link = MakeLink(SilentLimits());
        Session(*link, IdA, 3);
        QVERIFY(!link->IsIdle());
        QVERIFY(WaitIdle(*link));
        QCOMPARE(Reports(*m_journal), QList<QByteArray>{});
        QCOMPARE(m_journal->Connections(),
                 2); // the start report and the result: no progress after the failure
        QCOMPARE(link->TakeNotices(), QList<Notice>{NetNotice::NoConnection()});
        const QStringList waiting = Outbox(OutboxFolder()).Pending();
        QCOMPARE(waiting.size(), 1);

        m_journal->silent = false;
        link->SetLimits(AnsweringLimits());
        link->DeliverOutbox();
        QVERIFY(WaitIdle(*link));
        QCOMPARE(Trace(*m_journal), QStringList{T("RESULT", IdA)});
        QVERIFY(Outbox(OutboxFolder()).Pending().isEmpty());
        link->DeliverOutbox();
        QVERIFY(link->IsIdle());
        QCOMPARE(m_journal->Connections(), 3);
        QVERIFY(!link->HasNotices()); // a retry that fails or succeeds says nothing
    }

    // Results left from an earlier run go out at the next start, oldest first, before the next
    // session's start report.
    void outboxGoesFirstAtTheNextRun() {
        m_journal->Stop();
        {
            auto link = MakeLink();
            Session(*link, IdA, 1);
            Session(*link, IdB, 0);
            QVERIFY(WaitIdle(*link));
            QCOMPARE(link->TakeNotices(), QList<Notice>{NetNotice::NoConnection()});
        }
        QCOMPARE(Outbox(OutboxFolder()).Pending().size(), 2);
        QVERIFY(m_journal->Restart());

        auto link = MakeLink();
        TResultTest r = Result("next");
        SessionLink session{IdC, true};
        link->SendSessionStart(*m_test, r, session);
        QVERIFY(WaitIdle(*link));
        QCOMPARE(Trace(*m_journal), (QStringList{T("RESULT", IdA), T("RESULT", IdB), T("INFOBEGIN", IdC)}));
        QVERIFY(Outbox(OutboxFolder()).Pending().isEmpty());
    }

    void retryTimerDeliversWhenTheServerIsBack() {
        m_journal->Stop();
        {
            auto link = MakeLink();
            Session(*link, IdA, 0);
            QVERIFY(WaitIdle(*link));
        }
        auto link = MakeLink();
        link->StartOutboxRetry(50);
        QVERIFY(WaitIdle(*link)); // the first offer fails: nobody listens
        QCOMPARE(Outbox(OutboxFolder()).Pending().size(), 1);
        QVERIFY(m_journal->Restart());
        QTRY_VERIFY_WITH_TIMEOUT(Outbox(OutboxFolder()).Pending().isEmpty(), 30000);
        QVERIFY(WaitIdle(*link));
        link->StopOutboxRetry();
        QCOMPARE(Trace(*m_journal), QStringList{T("RESULT", IdA)});
        QVERIFY(!link->HasNotices());
    }

    // With an outbox the disk will not take, a result still goes out from memory; when that fails
    // too, the pupil is told that nothing will send it again, not only that the server is away.
    void resultTheOutboxCannotKeep() {
        QFile blocker(OutboxFolder()); // a file where the folder would be made
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        {
            auto link = MakeLink();
            Session(*link, IdA, 0);
            QVERIFY(WaitIdle(*link));
            QCOMPARE(Trace(*m_journal), (QStringList{T("INFOBEGIN", IdA), T("RESULT", IdA)}));
            QVERIFY(!link->HasNotices());
        }
        m_journal->Stop();
        auto link = MakeLink();
        Session(*link, IdB, 0);
        QVERIFY(WaitIdle(*link));
        QCOMPARE(link->TakeNotices(), (QList<Notice>{NetNotice::NoConnection(), NetNotice::ResultLost()}));
    }

    void damagedOutboxFilesAreSetAside() {
        Outbox outbox(OutboxFolder());
        QString valid;
        QVERIFY(outbox.Store(IdB, EncodeResultRecord(Result("kept")), valid).Ok());
        QFile good(valid);
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray bytes = good.readAll();
        good.close();
        // Older names than the valid one, so they come first.
        const QString cut = OutboxFolder() + QStringLiteral("/0000000000000001-0000-cut.qzo");
        const QString junk = OutboxFolder() + QStringLiteral("/0000000000000002-0000-junk.qzo");
        {
            QFile f(cut);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes.first(bytes.size() - 1));
            QFile j(junk);
            QVERIFY(j.open(QIODevice::WriteOnly));
            j.write("not a result at all");
        }
        auto link = MakeLink();
        link->DeliverOutbox();
        QVERIFY(WaitIdle(*link));
        QCOMPARE(Trace(*m_journal), QStringList{T("RESULT", IdB)});
        QVERIFY(outbox.Pending().isEmpty());
        QCOMPARE(QDir(outbox.DamagedFolder()).entryList(QDir::Files).size(), 2);
        // Set aside for good: the next offer finds nothing.
        link->DeliverOutbox();
        QVERIFY(link->IsIdle());
    }

    void fetchRunsOnceAtATime() {
        m_journal->listReply = "YES\r\n1\r\nC:\\Tests\\a.qzf\r\n";
        m_journal->getTestReply = "YES\r\nC:\\Tests\\a.qzf\r\n3\r\nabc";
        auto link = MakeLink();
        QSignalSpy fetching(link.get(), &NetServerLink::FetchingChanged);
        std::optional<FetchOutcome> outcome;
        QVERIFY(link->FetchTest({}, [&](const FetchOutcome& o) { outcome = o; }));
        QVERIFY(link->IsFetching());
        QVERIFY(!link->FetchTest({}, [](const FetchOutcome&) { QFAIL("a second fetch ran"); }));
        QVERIFY(WaitIdle(*link));
        QVERIFY(outcome);
        QCOMPARE(outcome->end, FetchEnd::Loaded);
        QCOMPARE(outcome->testName, QByteArray("C:\\Tests\\a.qzf"));
        QCOMPARE(outcome->testFile, QByteArray("abc"));
        QVERIFY(!link->IsFetching());
        QCOMPARE(fetching.size(), 2);
        QCOMPARE(fetching[0][0].toBool(), true);
        QCOMPARE(fetching[1][0].toBool(), false);
        QCOMPARE(m_journal->requests.value(0).lines, QList<QByteArray>{"PC04"});
    }
};

QTEST_GUILESS_MAIN(TestServerLink)
#include "tst_serverlink.moc"
