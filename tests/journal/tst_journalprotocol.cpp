// The journal's side of the conversation, driven through real sockets with the bytes the pupil's
// program sends. Built twice: against SQLite, and (with JOURNAL_POSTGRES) against a throw-away
// PostgreSQL cluster, which skips when none can be started here.
#include "JournalFixture.h"
#include "JournalServer.h"
#include "JournalStore.h"
#include "SqlJournalStore.h"
#include "TestFiles.h"
#include "net/FetchExchange.h"
#include "net/ReportExchange.h"
#ifdef JOURNAL_POSTGRES
#include "TempPostgres.h"
#endif

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

namespace {
SessionStartRecord Start(const QByteArray& id, const QByteArray& name, const QByteArray& group = "7-A") {
    SessionStartRecord s;
    s.SessionId = id;
    s.UserName = name;
    s.UserGroup = group;
    s.ComputerName = "PC-07";
    s.LoginName = "pupil";
    s.TestTitle = "Fractions";
    s.TestFileName = "fractions.qzf";
    s.TestCrc = qint32(0xCAFEBABE);
    s.TestUId = "{TEST-UID}";
    s.AskCount = 10;
    s.MaxScore = 10;
    return s;
}

ProgressRecord Progress(const QByteArray& id, int asked, int right, int wrong) {
    ProgressRecord p;
    p.SessionId = id;
    p.AskedCount = asked;
    p.RightCount = right;
    p.WrongCount = wrong;
    p.Score = right;
    p.CheckedMax = right + wrong;
    return p;
}

// A database that refuses every report, as a full disk or a lost database server would.
class RefusingStore : public JournalStore {
public:
    Status Open() override { return {}; }
    void Close() override {}
    QString Describe() const override { return u"refusing"_qs; }
    Status Apply(const QList<JournalReport>& reports, QList<ReportOutcome>& outcomes) override {
        outcomes = QList<ReportOutcome>(reports.size(), ReportOutcome::Failed);
        return Status::Failed(Fault::WriteFailed, u"disk full"_qs);
    }
    Status ListSessions(QList<SessionRow>&) override { return {}; }
    Status ListResults(QList<ExportedResult>&, const std::optional<QString>&,
                       const std::optional<QString>&) override {
        return {};
    }
};
} // namespace

class TestJournalProtocol : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
#ifdef JOURNAL_POSTGRES
        QString why;
        if (!m_pg.Start(why))
            QSKIP(qPrintable(u"no PostgreSQL cluster can be started here: "_qs + why));
#endif
        // The teacher's folder, a file beside it that must never be reachable, and a link to it.
        m_tests = m_dir.filePath(u"tests"_qs);
        QVERIFY(QDir().mkpath(m_tests + u"/sub"_qs));
        WriteFile(m_tests + u"/a.qzf"_qs, "test A bytes\r\n\0\xFF"_qba);
        WriteFile(m_tests + u"/sub/b.qzf"_qs, "test B");
        WriteFile(m_tests + u"/Тест.qzf"_qs, "cyrillic");
        WriteFile(m_tests + u"/notes.txt"_qs, "not a test");
        WriteFile(m_dir.filePath(u"outside.qzf"_qs), "secret");
        QVERIFY(QFile::link(m_dir.filePath(u"outside.qzf"_qs), m_tests + u"/link.qzf"_qs));
        QVERIFY(QDir().mkpath(m_dir.filePath(u"empty"_qs)));
    }

    void init() {
        m_url = NewDatabase();
        QVERIFY(!m_url.isEmpty());
        OpenServer(m_tests);
    }

    void cleanup() {
        m_server.reset();
        m_store.reset();
    }

    void testAndList() {
        QCOMPARE(Talk(Port(), "TEST\r\nPC-07\r\nQUIT\r\n").received, "OK\r\n"_qba);
        const Talked list = Talk(Port(), "GETLIST\r\nPC-07\r\nQUIT\r\n");
        QVERIFY(list.closedByServer);
        // Sorted by their bytes; the Cyrillic name in code page 1251; nothing outside the folder.
        QCOMPARE(list.received, "YES\r\n3\r\na.qzf\r\nsub/b.qzf\r\n\xD2\xE5\xF1\xF2.qzf\r\n"_qba);

        OpenServer(m_dir.filePath(u"empty"_qs));
        QCOMPARE(Talk(Port(), "GETLIST\r\nPC-07\r\nQUIT\r\n").received, "YES\r\n0\r\n"_qba);
    }

    void getTest_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray a = "test A bytes\r\n\0\xFF"_qba;
        QTest::newRow("offered") << "a.qzf"_qba
                                 << "YES\r\na.qzf\r\n" + Wire::Block(a);
        QTest::newRow("subfolder") << "sub/b.qzf"_qba
                                   << "YES\r\nsub/b.qzf\r\n" + Wire::Block("test B");
        QTest::newRow("cp1251 name") << "\xD2\xE5\xF1\xF2.qzf"_qba
                                     << "YES\r\n\xD2\xE5\xF1\xF2.qzf\r\n" + Wire::Block("cyrillic");
        QTest::newRow("traversal") << "../outside.qzf"_qba
                                   << "NO\r\n"_qba;
        QTest::newRow("dot segments") << "sub/../a.qzf"_qba
                                      << "NO\r\n"_qba;
        QTest::newRow("absolute") << QFile::encodeName(m_tests + u"/a.qzf"_qs) << "NO\r\n"_qba;
        QTest::newRow("link out of the folder") << "link.qzf"_qba
                                                << "NO\r\n"_qba;
        QTest::newRow("not a test") << "notes.txt"_qba
                                    << "NO\r\n"_qba;
        QTest::newRow("backslashes") << "sub\\b.qzf"_qba
                                     << "NO\r\n"_qba;
        QTest::newRow("missing") << "c.qzf"_qba
                                 << "NO\r\n"_qba;
        QTest::newRow("empty") << ""_qba
                               << "NO\r\n"_qba;
    }
    void getTest() {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, reply);
        const Talked e = Talk(Port(), "GETTEST\r\nPC-07\r\n" + entry + "\r\nQUIT\r\n");
        QVERIFY(e.closedByServer);
        QCOMPARE(e.received, reply);
    }

    // The pupil's fetch: list and test in one connection; a file that vanished since the list
    // is refused.
    void fetchInOneConnection() {
        WriteFile(m_tests + u"/gone.qzf"_qs, "soon gone");
        const Talked list = Talk(Port(), "GETLIST\r\nPC-07\r\nGETTEST\r\nPC-07\r\ngone.qzf\r\nQUIT\r\n");
        QVERIFY(list.received.endsWith("YES\r\ngone.qzf\r\n" + Wire::Block("soon gone")));
        QVERIFY(QFile::remove(m_tests + u"/gone.qzf"_qs));
        QCOMPARE(Talk(Port(), "GETTEST\r\nPC-07\r\ngone.qzf\r\nQUIT\r\n").received, "NO\r\n"_qba);
    }

    // A whole session as the pupil's program reports it: each report acknowledged after its
    // commit, the session's row following every step.
    void sessionReports() {
        const QByteArray id = SessionIdOf(1);
        QCOMPARE(Talk(Port(), StartBytes(Start(id, "\xCF\xE5\xF2\xF0\xE5\xED\xEA\xEE", ""))).received,
                 "OK\r\n"_qba);
        QList<SessionRow> rows;
        QVERIFY(m_store->ListSessions(rows).Ok());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].userName, u"Петренко"_qs);
        QCOMPARE(rows[0].userGroup, QString()); // an empty group is stored as an empty text
        QCOMPARE(rows[0].askCount, 10);
        QVERIFY(!rows[0].finishedAt.isValid());

        QCOMPARE(Talk(Port(), ProgressBytes(Progress(id, 1, 1, 0))).received, "OK\r\n"_qba);
        QCOMPARE(Talk(Port(), ProgressBytes(Progress(id, 3, 2, 1))).received, "OK\r\n"_qba);
        // A report re-sent late by the outbox does not move the counters back.
        QCOMPARE(Talk(Port(), ProgressBytes(Progress(id, 2, 1, 1))).received, "OK\r\n"_qba);
        QVERIFY(m_store->ListSessions(rows).Ok());
        QCOMPARE(rows[0].askedCount, 3);
        QCOMPARE(rows[0].rightCount, 2);
        QCOMPARE(rows[0].wrongCount, 1);
        QCOMPARE(CountRows("progress"), 3);

        TResultTest result = FinishedResult("\xCF\xE5\xF2\xF0\xE5\xED\xEA\xEE", "", 10, 7);
        QCOMPARE(Talk(Port(), ResultBytes(id, result)).received, "OK\r\n"_qba);
        QVERIFY(m_store->ListSessions(rows).Ok());
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0].finishedAt.isValid());
        QCOMPARE(rows[0].rightCount, 7);
        QCOMPARE(rows[0].markName, u"8"_qs);
        QList<ExportedResult> results;
        QVERIFY(m_store->ListResults(results).Ok());
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0].sessionId, std::optional<QByteArray>(id));
        QVERIFY(results[0].record.SameStoredFields(result));

        // After the result, neither a late start nor a late progress report reopens the session.
        QCOMPARE(Talk(Port(), StartBytes(Start(id, "Other"))).received, "OK\r\n"_qba);
        QCOMPARE(Talk(Port(), ProgressBytes(Progress(id, 9, 9, 0))).received, "OK\r\n"_qba);
        QVERIFY(m_store->ListSessions(rows).Ok());
        QCOMPARE(rows[0].userName, u"Петренко"_qs);
        QCOMPARE(rows[0].rightCount, 7);
    }

    // The outbox sends a result again when it did not see the first delivery through; the
    // journal keeps it once, also after a restart on the same database.
    void duplicateResultAndRestart() {
        const QByteArray id = SessionIdOf(2);
        const TResultTest result = FinishedResult("Ivanenko", "7-A", 5, 5);
        QCOMPARE(Talk(Port(), ResultBytes(id, result)).received, "OK\r\n"_qba);
        QCOMPARE(Talk(Port(), ResultBytes(id, result)).received, "OK\r\n"_qba);
        QCOMPARE(CountRows("results"), 1);

        // A session whose start never came still gets its row from the result.
        QList<SessionRow> rows;
        QVERIFY(m_store->ListSessions(rows).Ok());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].userName, u"Ivanenko"_qs);
        QVERIFY(rows[0].finishedAt.isValid());

        OpenServer(m_tests); // the same database, a new store and server
        QCOMPARE(Talk(Port(), ResultBytes(id, result)).received, "OK\r\n"_qba);
        const QByteArray other = SessionIdOf(3);
        QCOMPARE(Talk(Port(), ResultBytes(other, FinishedResult("Koval", "7-B", 5, 1))).received,
                 "OK\r\n"_qba);
        QList<ExportedResult> results;
        QVERIFY(m_store->ListResults(results).Ok());
        QCOMPARE(results.size(), 2);
        QCOMPARE(results[0].sessionId, std::optional<QByteArray>(id));
        QCOMPARE(results[1].sessionId, std::optional<QByteArray>(other));
        QVERIFY(m_store->ListResults(results, u"Fractions"_qs, u"7-B"_qs).Ok());
        QCOMPARE(results.size(), 1);
    }

    // Whatever a client sends, the server stays up for the others and stores nothing that does not
    // parse. Some inputs end only that connection at once; a report that does not parse is
    // refused with "NO" and the connection goes on.
    void hostileInputs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("reply");
        // After a refused report the connection goes on: a connection test, then "QUIT".
        const QByteArray then = "TEST\r\nPC\r\nQUIT\r\n";
        const QByteArray refused = "NO\r\nOK\r\n";
        const QByteArray start = EncodeStartRecord(Start(SessionIdOf(9), "X"));
        const QByteArray result = EncodeResultRecord(FinishedResult("X", "Y", 3, 1));
        // The count of TaskPoints follows the test's identifier.
        const qsizetype tasksAt = result.indexOf("{TEST-UID}") + 10;
        QTest::newRow("unknown request") << "HELLO\r\n"_qba << QByteArray();
        QTest::newRow("line over the limit") << QByteArray(Wire::MaxLineBytes + 1, 'A') << QByteArray();
        QTest::newRow("line over the limit after a request")
            << "TEST\r\n" + QByteArray(Wire::MaxLineBytes + 10, 'B') + "\r\n"
            << QByteArray();
        QTest::newRow("block over the cap")
            << "INFOBEGIN\r\n" + QByteArray::number((qint64(16) << 20) + 1) + "\r\n"
            << QByteArray();
        QTest::newRow("length not a number") << "INFOBEGIN\r\n12x\r\n"_qba << QByteArray();
        QTest::newRow("negative length") << "INFOBEGIN\r\n-1\r\n"_qba << QByteArray();
        QTest::newRow("truncated start record")
            << Wire::Line("INFOBEGIN") + Wire::Block(start.left(start.size() - 3)) + then << refused;
        QTest::newRow("start record with bytes left over")
            << Wire::Line("INFOBEGIN") + Wire::Block(start + "x") + then << refused;
        QTest::newRow("start record without session")
            << Wire::Line("INFOBEGIN") + Wire::Block(EncodeStartRecord(Start("", "X"))) + then << refused;
        QTest::newRow("progress record too short")
            << Wire::Line("INFOPROCESS") + Wire::Block("\x04\0\0\0abcd"_qba) + then << refused;
        QTest::newRow("result record with an impossible count")
            << Wire::Line("RESULT") + Wire::Line(SessionIdOf(9)) +
                   Wire::Block(result.left(tasksAt) + "\xFF\xFF\xFF\x7F" + result.mid(tasksAt + 4)) + then
            << refused;
        QTest::newRow("result with an overlong session")
            << Wire::Line("RESULT") + Wire::Line(QByteArray(100, 'S')) + Wire::Block(result) + then
            << refused;
    }
    void hostileInputs() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, reply);
        const Talked e = Talk(Port(), bytes);
        QVERIFY(e.closedByServer);
        QCOMPARE(e.received, reply);
        QCOMPARE(CountRows("sessions"), 0);
        QCOMPARE(CountRows("results"), 0);
        QCOMPARE(Talk(Port(), "TEST\r\nPC\r\nQUIT\r\n").received, "OK\r\n"_qba);
    }

    // A client that sends nothing, and one that trickles a line that never ends, are dropped
    // after the bounds; a client beside them is served meanwhile.
    void slowClientsAreDropped() {
        JournalLimits limits;
        limits.idleMs = 300;
        limits.partialMs = 300;
        OpenServer(m_tests, limits);
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, Port());
        QTcpSocket trickle;
        trickle.connectToHost(QHostAddress::LocalHost, Port());
        QVERIFY(WaitFor([&] { return m_server->ConnectionCount() == 2; }));
        QTimer drip;
        QObject::connect(&drip, &QTimer::timeout, &trickle, [&] { trickle.write("A"); });
        drip.start(50);
        QCOMPARE(Talk(Port(), "TEST\r\nPC\r\nQUIT\r\n").received, "OK\r\n"_qba);
        QVERIFY(WaitFor([&] {
            return silent.state() == QAbstractSocket::UnconnectedState &&
                   trickle.state() == QAbstractSocket::UnconnectedState;
        }));
        QVERIFY(WaitFor([&] { return m_server->ConnectionCount() == 0; }));
    }

    // A class reporting at once: every connection is served by the one thread, and every report
    // is stored.
    void manyPupilsAtOnce() {
        constexpr int Pupils = 40;
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        int closed = 0;
        for (int i = 0; i < Pupils; ++i) {
            auto s = std::make_unique<QTcpSocket>();
            QTcpSocket* raw = s.get();
            const QByteArray id = SessionIdOf(100 + i);
            const QByteArray bytes =
                i % 2 ? StartBytes(Start(id, "P" + QByteArray::number(i)))
                      : ResultBytes(id, FinishedResult("P" + QByteArray::number(i), "7-A", 4, i % 5));
            QObject::connect(raw, &QTcpSocket::connected, raw, [raw, bytes] { raw->write(bytes); });
            QObject::connect(raw, &QTcpSocket::disconnected, raw, [&closed] { ++closed; });
            raw->connectToHost(QHostAddress::LocalHost, Port());
            sockets.push_back(std::move(s));
        }
        QVERIFY(WaitFor([&] { return closed == Pupils; }, 30000));
        QCOMPARE(CountRows("sessions"), Pupils);
        QCOMPARE(CountRows("results"), Pupils / 2);
    }

    // The pupil program's own client classes against the journal: a fetch with a choice, the
    // three reports, each delivered.
    void pupilProgramClient() {
        const Endpoint endpoint{u"127.0.0.1"_qs, Port()};
        FetchExchange fetch(endpoint, "PC-07",
                            [](const QList<QByteArray>& entries, std::function<void(int)> choose) {
                                choose(int(entries.indexOf("sub/b.qzf")));
                            });
        fetch.Start();
        QVERIFY(WaitFor([&] { return fetch.IsFinished(); }));
        QCOMPARE(fetch.Result().end, FetchEnd::Loaded);
        QCOMPARE(fetch.Result().testName, "sub/b.qzf"_qba);
        QCOMPARE(fetch.Result().testFile, "test B"_qba);

        const QByteArray id = SessionIdOf(6);
        const TResultTest result = FinishedResult("Moroz", "7-A", 2, 1);
        for (const QByteArray& message : {ReportExchange::SessionStartMessage(StartRecordOf(result, id)),
                                          ReportExchange::ProgressMessage(ProgressRecordOf(result, id)),
                                          ReportExchange::ResultMessage(id, EncodeResultRecord(result))}) {
            ReportExchange report(endpoint, {}, message);
            report.Start();
            QVERIFY(WaitFor([&] { return report.IsFinished(); }));
            QVERIFY2(report.Outcome().Ok(), qPrintable(report.Outcome().Detail()));
        }
        QCOMPARE(CountRows("results"), 1);
        QCOMPARE(CountRows("progress"), 1);
    }

    // The pupil's program counts a report as delivered as soon as the server answers or closes. A
    // report the database did not take gets neither, so that the program keeps it for later; the
    // connection goes when the client gives up.
    void unstoredReportIsNotAcknowledged() {
        RefusingStore store;
        JournalServer server(store, TestShelf(m_tests));
        QVERIFY(server.Listen(QHostAddress::LocalHost, 0).Ok());
        ExchangeLimits limits;
        limits.exchangeMs = 500;
        ReportExchange report(Endpoint{u"127.0.0.1"_qs, server.Port()}, limits,
                              ReportExchange::ResultMessage(
                                  SessionIdOf(5), EncodeResultRecord(FinishedResult("A", "B", 2, 1))));
        report.Start();
        QVERIFY(WaitFor([&] { return report.IsFinished(); }));
        QVERIFY(!report.Outcome().Ok());
        QVERIFY(WaitFor([&] { return server.ConnectionCount() == 0; }));
    }

    // A database made by a newer journal is not touched.
    void newerSchemaRefused() {
        m_server.reset();
        m_store.reset();
        {
            std::unique_ptr<JournalStore> store;
            QVERIFY(MakeJournalStore(m_url, u"raw"_qs, store).Ok());
            QVERIFY(store->Open().Ok());
            store->Close();
        }
        ExecRaw("UPDATE journal_schema SET version = 99");
        std::unique_ptr<JournalStore> store;
        QVERIFY(MakeJournalStore(m_url, u"again"_qs, store).Ok());
        const Status opened = store->Open();
        QCOMPARE(opened.Failure(), Fault::WrongType);
        QVERIFY2(opened.Detail().contains(u"99"), qPrintable(opened.Detail()));
    }

private:
    QString NewDatabase() {
        ++m_databases;
#ifdef JOURNAL_POSTGRES
        QString url;
        QString why;
        if (!m_pg.CreateDatabase(u"journal_test_"_qs + QString::number(m_databases), url, why)) {
            qWarning() << why;
            return {};
        }
        return url;
#else
        return u"sqlite:"_qs + m_dir.filePath(QStringLiteral("journal%1.sqlite").arg(m_databases));
#endif
    }

    void OpenServer(const QString& tests, JournalLimits limits = {}) {
        m_server.reset();
        m_store.reset();
        QVERIFY(MakeJournalStore(m_url, u"test"_qs, m_store).Ok());
        const Status opened = m_store->Open();
        QVERIFY2(opened.Ok(), qPrintable(opened.Detail()));
        m_server = std::make_unique<JournalServer>(*m_store, TestShelf(tests), limits);
        QVERIFY(m_server->Listen(QHostAddress::LocalHost, 0).Ok());
    }

    quint16 Port() const {
        return m_server->Port();
    }

    // Straight from the tables, through a connection of its own.
    int CountRows(const char* table) {
        int n = -1;
        ExecRaw(QByteArray("SELECT COUNT(*) FROM ") + table, &n);
        return n;
    }

    void ExecRaw(const QByteArray& sql, int* value = nullptr) {
        const QString name = u"raw-check"_qs;
        {
            QSqlDatabase db;
#ifdef JOURNAL_POSTGRES
            const QUrl url(m_url);
            db = QSqlDatabase::addDatabase(u"QPSQL"_qs, name);
            db.setHostName(url.host());
            db.setPort(url.port());
            db.setUserName(url.userName());
            db.setDatabaseName(url.path().mid(1));
#else
            db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, name);
            db.setDatabaseName(m_url.mid(7));
#endif
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QString::fromUtf8(sql)));
            if (value && q.next())
                *value = q.value(0).toInt();
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    QTemporaryDir m_dir;
    QString m_tests;
    QString m_url;
    int m_databases = 0;
    std::unique_ptr<JournalStore> m_store;
    std::unique_ptr<JournalServer> m_server;
#ifdef JOURNAL_POSTGRES
    TempPostgres m_pg;
#endif
};

QTEST_GUILESS_MAIN(TestJournalProtocol)
#include "tst_journalprotocol.moc"
