// quizar-journal as a teacher runs it: the serving program in a process of its own with a scripted
// pupil against it, stopped by SIGTERM, and the results and import commands on its database.
#include "JournalFixture.h"
#include "PrivateHome.h"
#include "TestFiles.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"
#include "results/ResultFiles.h"
#include "settings/SettingsFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>

namespace {
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run Program(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

Run Journal(const QStringList& args) {
    return Program(QStringLiteral(QUIZAR_JOURNAL), args);
}

// One blocking exchange with a server in another process: send, then read until it closes.
QByteArray Blocking(quint16 port, const QByteArray& bytes) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(10000))
        return "<no connection>";
    s.write(bytes);
    QByteArray got;
    for (int i = 0; i < 100 && s.state() == QAbstractSocket::ConnectedState; ++i) {
        s.waitForReadyRead(100);
        got += s.readAll();
    }
    return got + s.readAll();
}

// Starts `quizar-journal serve` on free ports of 127.0.0.1 and reads them from what it prints.
bool Serve(QProcess& server, const QString& tests, const QString& db, QByteArray& log, quint16& port,
           quint16& webPort) {
    server.start(QStringLiteral(QUIZAR_JOURNAL),
                 {u"serve"_qs, u"--tests"_qs, tests, u"--listen"_qs, u"127.0.0.1"_qs, u"--port"_qs, u"0"_qs,
                  u"--web-port"_qs, u"0"_qs, u"--database"_qs, db});
    if (!server.waitForStarted(10000))
        return false;
    const QRegularExpression ports(u"port (\\d+); the page is on http://127\\.0\\.0\\.1:(\\d+)/"_qs);
    QRegularExpressionMatch found;
    if (!WaitFor([&] {
            server.waitForReadyRead(50);
            log += server.readAllStandardError();
            found = ports.match(QString::fromUtf8(log));
            return found.hasMatch();
        }))
        return false;
    port = quint16(found.captured(1).toUInt());
    webPort = quint16(found.captured(2).toUInt());
    return true;
}

// The body of one GET, read as far as its Content-Length says.
QByteArray HttpBody(quint16 port, const QByteArray& path) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(10000))
        return {};
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray got;
    static const QRegularExpression length(u"content-length: *(\\d+)"_qs,
                                           QRegularExpression::CaseInsensitiveOption);
    for (int i = 0; i < 100; ++i) {
        s.waitForReadyRead(100);
        got += s.readAll();
        const qsizetype body = got.indexOf("\r\n\r\n");
        if (body < 0)
            continue;
        const QRegularExpressionMatch m = length.match(QString::fromLatin1(got.left(body)));
        if (m.hasMatch() && got.size() - body - 4 >= m.captured(1).toLongLong())
            return got.mid(body + 4);
    }
    return {};
}
} // namespace

class TestJournalCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The results command prints what `quizar-pack results` prints for the same records, plus
    // each record's session; importing a file again adds nothing.
    void importAndResults() {
        const QString file = m_dir.filePath(u"pupils.qzpr"_qs);
        QVERIFY(AppendProtectedResult(file, FinishedResult(Cp(u"Петренко Петро"_qs), "7-A", 3, 2)).Ok());
        QVERIFY(AppendProtectedResult(file, FinishedResult("Koval, \"Olha\"", "7-B", 4, 4)).Ok());
        const QString db = u"sqlite:"_qs + m_dir.filePath(u"import.sqlite"_qs);

        Run run = Journal({u"import"_qs, u"--database"_qs, db, file});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("2 records, 2 added, 0 already"), run.out.constData());
        run = Journal({u"import"_qs, u"--database"_qs, db, file});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("2 records, 0 added, 2 already"), run.out.constData());

        const Run pack = Program(QStringLiteral(QUIZAR_PACK), {u"results"_qs, file});
        QCOMPARE(pack.exitCode, 0);
        const Run json = Journal({u"results"_qs, u"--database"_qs, db});
        QCOMPARE(json.exitCode, 0);
        // Byte for byte the same once the session lines are taken out.
        QList<QByteArray> lines = json.out.split('\n');
        QCOMPARE(lines.removeIf([](const QByteArray& l) { return l.startsWith("    \"SessionId\": "); }), 2);
        QCOMPARE(lines.join('\n'), pack.out);
        const QJsonArray records = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(records.size(), 2);
        QVERIFY(records[0].toObject()[u"SessionId"_qs].toString().startsWith(u"import:"));

        const Run packCsv = Program(QStringLiteral(QUIZAR_PACK), {u"results"_qs, file, u"--csv"_qs});
        const Run csv = Journal({u"results"_qs, u"--database"_qs, db, u"--csv"_qs});
        QCOMPARE(csv.exitCode, 0);
        const QList<QByteArray> packRows = packCsv.out.split('\n');
        const QList<QByteArray> rows = csv.out.split('\n');
        QCOMPARE(rows.size(), packRows.size());
        QCOMPARE(rows[0], packRows[0].chopped(1) + ",session\r");
        for (qsizetype i = 1; i + 1 < rows.size(); ++i) {
            QVERIFY2(rows[i].startsWith(packRows[i].chopped(1) + ",import:"), rows[i].constData());
        }
    }

    void commandErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no command") << QStringList{} << 2 << "usage:"_qba;
        QTest::newRow("unknown option") << QStringList{u"results"_qs, u"--xml"_qs} << 2 << "usage:"_qba;
        QTest::newRow("unknown database")
            << QStringList{u"results"_qs, u"--database"_qs, u"mysql://x/y"_qs} << 1 << "unknown database"_qba;
        QTest::newRow("postgresql without a name")
            << QStringList{u"results"_qs, u"--database"_qs, u"postgresql://u@h"_qs} << 1 << "DBNAME"_qba;
        QTest::newRow("import of no file") << QStringList{u"import"_qs} << 2 << "usage:"_qba;
        QTest::newRow("import of a file of another kind")
            << QStringList{u"import"_qs, u"--database"_qs, u"sqlite:"_qs + m_dir.filePath(u"e.sqlite"_qs),
                           QStringLiteral(QUIZAR_JOURNAL)}
            << 1 << "not a protected results file"_qba;
        QTest::newRow("bad port") << QStringList{u"serve"_qs, u"--port"_qs, u"70000"_qs} << 2 << "usage:"_qba;
    }
    void commandErrors() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, message);
        const Run run = Journal(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), run.err.constData());
    }

    // The server end to end: a scripted pupil sends the bytes of the pupil's program to the
    // real program, which is then stopped by SIGTERM; the result is in `results` afterwards.
    void serveEndToEnd() {
        const QString tests = m_dir.filePath(u"teacher-tests"_qs);
        QVERIFY(QDir().mkpath(tests));
        QVERIFY(QFile::copy(QStringLiteral(QUIZAR_SAMPLE_QZF), tests + u"/sample.qzf"_qs));
        const QString db = u"sqlite:"_qs + m_dir.filePath(u"serve.sqlite"_qs);

        QProcess server;
        QByteArray log;
        quint16 port = 0;
        quint16 webPort = 0;
        QVERIFY(Serve(server, tests, db, log, port, webPort));

        // The fetch, as the pupil's program makes it.
        const QByteArray fetched =
            Blocking(port, "GETLIST\r\nPC-07\r\nGETTEST\r\nPC-07\r\nsample.qzf\r\nQUIT\r\n");
        const QByteArray head = "YES\r\n1\r\nsample.qzf\r\nYES\r\nsample.qzf\r\n";
        QVERIFY(fetched.startsWith(head));
        WireReader reader(qint64(16) << 20);
        reader.Append(QByteArrayView(fetched).sliced(head.size()));
        QByteArray testBytes;
        QCOMPARE(reader.TakeBlock(testBytes), WireReader::Take::Ready);
        LoadOptions options;
        options.tempRoot = m_dir.path();
        const LoadTestResult loaded = LoadTest(u"sample.qzf"_qs, &testBytes, options);
        QVERIFY2(loaded.Ok(), qPrintable(loaded.status.Detail()));

        // The pupil answers every other task right.
        const int tasks = int(loaded.loaded->tasks.size());
        QVERIFY(tasks > 1);
        const QByteArray id = SessionIdOf(77);
        TResultTest r(tasks);
        r.UserName = Cp(u"Шевченко Тарас"_qs);
        r.UserGroup = "9-B";
        r.ComputerName = "PC-07";
        r.TestTitle = loaded.loaded->test->Title;
        r.TestFileName = "sample.qzf";
        r.AskCount = tasks;
        for (const TTask& t : loaded.loaded->tasks)
            r.MaxScore += t.Weight;
        QCOMPARE(Blocking(port, StartBytes(StartRecordOf(r, id))), "OK\r\n"_qba);
        for (int i = 0; i < tasks; ++i) {
            const qint32 weight = loaded.loaded->tasks[size_t(i)].Weight;
            r.AskedCount = i + 1;
            r.TaskPoints[i] = i % 2 ? 0 : weight;
            (i % 2 ? r.WrongCount : r.RightCount) += 1;
            r.Score += i % 2 ? 0 : weight;
            r.CheckedMax += weight;
            QCOMPARE(Blocking(port, ProgressBytes(ProgressRecordOf(r, id))), "OK\r\n"_qba);
        }
        r.EndReason = 1;
        r.Mark = 5;
        r.MarkName = "good";
        QCOMPARE(Blocking(port, ResultBytes(id, r)), "OK\r\n"_qba);

        const QJsonArray sessions = QJsonDocument::fromJson(HttpBody(webPort, "/api/sessions")).array();
        QCOMPARE(sessions.size(), 1);
        const QJsonObject s = sessions[0].toObject();
        QCOMPARE(s[u"UserName"_qs].toString(), u"Шевченко Тарас"_qs);
        QCOMPARE(s[u"Finished"_qs].toBool(), true);
        QCOMPARE(s[u"MarkName"_qs].toString(), u"good"_qs);
        QCOMPARE(s[u"AskedCount"_qs].toInt(), tasks);

        ::kill(pid_t(server.processId()), SIGTERM);
        QVERIFY(server.waitForFinished(20000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QVERIFY((log + server.readAllStandardError()).contains("stopped"));

        const Run results = Journal({u"results"_qs, u"--database"_qs, db});
        QCOMPARE(results.exitCode, 0);
        const QJsonArray stored = QJsonDocument::fromJson(results.out).array();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].toObject()[u"SessionId"_qs].toString(), QString::fromLatin1(id));
        QCOMPARE(stored[0].toObject()[u"RightCount"_qs].toInt(), r.RightCount);
    }

    // The real pupil's program against the real server, on a real X server: it fetches the only
    // test at start-up, the pupil starts, answers and finishes by the keyboard, and the server holds
    // the very record the program kept in its protected results file.
    void realPupilProgramEndToEnd() {
        if (qEnvironmentVariable("QT_QPA_PLATFORM") != u"xcb"_qs || qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs a real X server: run through run-under-x11 (test tst_journalcli_x11)");
        if (QStandardPaths::findExecutable(u"xdotool"_qs).isEmpty())
            QSKIP("xdotool is not installed (./dev installs it)");
        // The program keeps its files beside itself when it may write there: a copy of its own.
        const QString program = m_dir.filePath(u"pupil/QuizarStudent"_qs);
        QVERIFY(QDir().mkpath(m_dir.filePath(u"pupil"_qs)));
        QVERIFY(QFile::copy(QStringLiteral(QUIZAR_STUDENT), program));
        TSettings settings;
        SetDefaultConfig(settings);
        settings.IsSendResult = true;
        settings.IsAutoGetTestFromStart = true;
        settings.RemoteHost = "127.0.0.1";
        settings.IsSaveProtectionResult = true;
        settings.IsShowUserResult = false;
        settings.IsShowDetailReportModeNormal = false;
        settings.IsUseSound = false;
        settings.DefaultUserName = Cp(u"Шевченко Тарас"_qs);
        settings.DefaultUserGroup = Cp(u"9 Б"_qs);

        const QString tests = m_dir.filePath(u"e2e-tests"_qs);
        QVERIFY(QDir().mkpath(tests));
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "E2E";
        std::vector<TTask> tasks;
        TTask task(SingleChoice);
        task.Question = "2 + 2?";
        task.Variants[0] = "4";
        task.Variants[1] = "5";
        task.Keys[0] = 1;
        tasks.push_back(task);
        WriteFile(tests + u"/e2e.qzf"_qs, WriteTestFile(test, tasks, {}));
        const QString db = u"sqlite:"_qs + m_dir.filePath(u"e2e.sqlite"_qs);

        QProcess server;
        auto stopServer = qScopeGuard([&server] {
            server.kill();
            server.waitForFinished(10000);
        });
        QByteArray log;
        quint16 port = 0;
        quint16 webPort = 0;
        QVERIFY(Serve(server, tests, db, log, port, webPort));
        settings.RemotePort = port;
        QVERIFY(SaveConfig(settings, m_dir.filePath(u"pupil"_qs)).Ok());

        QProcess pupil;
        QProcessEnvironment env;
        const QString home = m_dir.filePath(u"home"_qs);
        QVERIFY(PrivateHomeEnvironment(home, env));
        pupil.setProcessEnvironment(env);
        pupil.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        pupil.start(program, {});
        QVERIFY(pupil.waitForStarted(10000));
        auto stopPupil = qScopeGuard([&pupil] {
            pupil.kill();
            pupil.waitForFinished(10000);
        });

        // Window names are looked up as regular expressions. The window of the fetched test, then the name
        // dialog, then the session on the server.
        auto window = [](const QString& name) {
            const Run found = Program(u"xdotool"_qs, {u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, name});
            return found.exitCode == 0 ? found.out.split('\n').value(0) : QByteArray();
        };
        // Keys go to the focused window as typed keys: Qt takes no events sent to a window.
        auto keys = [](const QByteArray& id, const QStringList& keys) {
            Program(u"xdotool"_qs, {u"windowactivate"_qs, u"--sync"_qs, QString::fromLatin1(id)});
            Program(u"xdotool"_qs, QStringList{u"key"_qs, u"--delay"_qs, u"100"_qs} + keys);
        };
        QByteArray main;
        QVERIFY2(WaitFor([&] { return !(main = window(u"e2e.qzf - Quizar Student"_qs)).isEmpty(); }, 60000),
                 "the fetched test was not opened");
        keys(main, {u"F5"_qs});
        QByteArray dialog;
        QVERIFY2(WaitFor([&] { return !(dialog = window(u"^Почнемо тест"_qs)).isEmpty(); }, 30000),
                 "no name dialog");
        keys(dialog, {u"Return"_qs});
        auto sessions = [webPort] {
            return QJsonDocument::fromJson(HttpBody(webPort, "/api/sessions")).array();
        };
        QVERIFY2(WaitFor([&] { return sessions().size() == 1; }, 30000), "no session start on the server");
        keys(main, {u"1"_qs, u"Return"_qs});
        QVERIFY2(WaitFor(
                     [&] {
                         const QJsonArray all = sessions();
                         return !all.isEmpty() && all[0].toObject()[u"Finished"_qs].toBool();
                     },
                     30000),
                 "no result on the server");

        const QJsonObject s = sessions()[0].toObject();
        QCOMPARE(s[u"UserName"_qs].toString(), u"Шевченко Тарас"_qs);
        QCOMPARE(s[u"UserGroup"_qs].toString(), u"9 Б"_qs);
        QCOMPARE(s[u"RightCount"_qs].toInt(), 1);
        // The result arrived byte for byte as the program stored it: both read back the same.
        const QString kept = m_dir.filePath(u"pupil/QuizarStudent_ProtectionResult.qzpr"_qs);
        QVERIFY(QFileInfo::exists(kept));
        const Run pack = Program(QStringLiteral(QUIZAR_PACK), {u"results"_qs, kept});
        QCOMPARE(pack.exitCode, 0);
        ::kill(pid_t(server.processId()), SIGTERM);
        QVERIFY(server.waitForFinished(20000));
        const Run journal = Journal({u"results"_qs, u"--database"_qs, db});
        QCOMPARE(journal.exitCode, 0);
        QList<QByteArray> lines = journal.out.split('\n');
        QCOMPARE(lines.removeIf([](const QByteArray& l) { return l.startsWith("    \"SessionId\": "); }), 1);
        QCOMPARE(lines.join('\n'), pack.out);
        // Delivered: nothing waits in the outbox.
        QTRY_VERIFY(QDir(home + u"/data/Quizar3/QuizarStudent/outbox"_qs).entryList(QDir::Files).isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestJournalCli)
#include "tst_journalcli.moc"
