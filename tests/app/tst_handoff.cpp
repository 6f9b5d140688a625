// Real copies of the program's start: the first one keeps running, later ones hand over their
// argument and end. Every wait is bounded.
#include "model/TestWriter.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int StartMs = 30000; // sanitiser builds start slowly on a busy machine
constexpr int LineMs = 20000;

class Peers {
public:
    Peers() {
        for (const char* sub : {"run", "program", "temp"})
            QDir(m_dir.path()).mkpath(QLatin1String(sub));
    }
    ~Peers() {
        for (auto& p : m_running) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    std::unique_ptr<QProcess> Start(const QStringList& args, const QString& workDir = {}) {
        auto p = std::make_unique<QProcess>();
        if (!workDir.isEmpty())
            p->setWorkingDirectory(workDir);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUIZAR_PEER_ROOT"), m_dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        p->start(QStringLiteral(HANDOFF_PEER), args);
        return p;
    }

    // Starts the copy that is to run and waits until its window is up.
    QProcess* StartFirst(const QStringList& args = {}) {
        m_running.push_back(Start(args));
        QProcess* p = m_running.back().get();
        return ReadLine(*p) == "ready" ? p : nullptr;
    }

    // A later copy: it must end by itself, quickly and without error.
    static bool RunsAndEnds(QProcess& p) {
        return p.waitForFinished(StartMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    static QByteArray ReadLine(QProcess& p) {
        QElapsedTimer timer;
        timer.start();
        while (!p.canReadLine()) {
            if (timer.elapsed() > LineMs || p.state() == QProcess::NotRunning)
                return {};
            p.waitForReadyRead(200);
        }
        return p.readLine().trimmed();
    }

    QString WriteTest(const QString& name) {
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Geo";
        std::vector<TTask> tasks(1, TTask(SingleChoice));
        tasks[0].Variants[0] = "a";
        QFile f(Path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(WriteTestFile(test, tasks, {}));
        return Path(name);
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_running;
};

} // namespace

class TestHandOff : public QObject {
    Q_OBJECT
private slots:
    void laterCopiesHandOver() {
        Peers peers;
        const QString geo = peers.WriteTest("geo.qzf");
        const QString other = peers.WriteTest("other.qzf");
        QProcess* first = peers.StartFirst();
        QVERIFY(first);

        // No argument: the first copy comes to the front and loads nothing.
        auto empty = peers.Start({});
        QVERIFY(Peers::RunsAndEnds(*empty));
        QCOMPARE(Peers::ReadLine(*first), QByteArray("handled 1 Quizar Student"));

        // A path that is no test file is ignored.
        auto wrong = peers.Start({peers.Path("notes.txt")});
        QVERIFY(Peers::RunsAndEnds(*wrong));
        QCOMPARE(Peers::ReadLine(*first), QByteArray("handled 1 Quizar Student"));

        // A relative path is resolved in the later copy's folder, then loaded by the first one.
        auto load = peers.Start({QStringLiteral("geo.qzf")}, QFileInfo(geo).absolutePath());
        QVERIFY(Peers::RunsAndEnds(*load));
        QCOMPARE(Peers::ReadLine(*first), QByteArray("handled 2 geo.qzf - Quizar Student"));

        // With a test open the path is discarded.
        auto discarded = peers.Start({other});
        QVERIFY(Peers::RunsAndEnds(*discarded));
        QCOMPARE(Peers::ReadLine(*first), QByteArray("handled 2 geo.qzf - Quizar Student"));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void killedCopyDoesNotBlock() {
        Peers peers;
        QProcess* first = peers.StartFirst();
        QVERIFY(first);
        first->kill();
        QVERIFY(first->waitForFinished(10000));
        // Its lock and socket are left behind.
        QVERIFY(QFile::exists(peers.Path("run/QuizarStudent_FileCommand")));
        QProcess* next = peers.StartFirst();
        QVERIFY(next);
        auto later = peers.Start({peers.WriteTest("a.qzf")});
        QVERIFY(Peers::RunsAndEnds(*later));
        QCOMPARE(Peers::ReadLine(*next), QByteArray("handled 2 a.qzf - Quizar Student"));
    }

    void simultaneousStarts() {
        Peers peers;
        auto a = peers.Start({});
        auto b = peers.Start({});
        QVERIFY(a->waitForStarted(StartMs) && b->waitForStarted(StartMs));
        // One of them ends by handing over; the other runs and receives that hand-off.
        QElapsedTimer timer;
        timer.start();
        while (a->state() == QProcess::Running && b->state() == QProcess::Running &&
               timer.elapsed() < StartMs)
            QTest::qWait(100);
        QProcess* ended = a->state() == QProcess::Running ? b.get() : a.get();
        QProcess* running = ended == a.get() ? b.get() : a.get();
        QVERIFY(ended->state() != QProcess::Running);
        QCOMPARE(ended->exitCode(), 0);
        QCOMPARE(running->state(), QProcess::Running);
        QCOMPARE(Peers::ReadLine(*running), QByteArray("ready"));
        QCOMPARE(Peers::ReadLine(*running), QByteArray("handled 1 Quizar Student"));
        running->kill();
        running->waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(TestHandOff)
#include "tst_handoff.moc"
