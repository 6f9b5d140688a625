// The real pupil's program killed in the middle of a test: started again, it offers to continue,
// and the session finishes through the dialog as if nothing had happened, each result written once.
#include "PrivateHome.h"
#include "TestFiles.h"
#include "model/TestWriter.h"
#include "results/ResultFiles.h"
#include "session/SessionJournal.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray Run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(30000))
        p.kill();
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

template <typename F> bool WaitFor(F done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The first visible window whose name matches the regular expression; empty when none.
QByteArray Window(const QString& name) {
    return Run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), name})
        .split('\n')
        .value(0);
}

// Keys go to the focused window as typed keys: Qt takes no events sent to a window.
void Keys(const QByteArray& window, const QStringList& keys) {
    Run({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::fromLatin1(window)});
    Run(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100")} + keys);
}

// How many tasks the journal in `folder` records as checked; -1 without a readable journal.
int CheckedInJournal(const QString& folder) {
    const QStringList journals = SessionJournal::Find(folder);
    JournalFile file;
    if (journals.size() != 1 || !SessionJournal::Read(journals.constFirst(), file).Ok())
        return -1;
    return int(std::count_if(file.records.cbegin(), file.records.cend(),
                             [](const JournalRecord& r) { return r.As<JournalCheck>() != nullptr; }));
}
} // namespace

class TestCrashResume : public QObject {
    Q_OBJECT

private slots:
    void killedProgramResumesThroughTheDialog() {
        if (qEnvironmentVariable("QT_QPA_PLATFORM") != u"xcb"_qs || qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs a real X server: run through run-under-x11 (test tst_crashresume_x11)");
        if (QStandardPaths::findExecutable(u"xdotool"_qs).isEmpty())
            QSKIP("xdotool is not installed (./dev installs it)");
        QTemporaryDir dir;
        // The program keeps its files beside itself when it may write there: a copy of its own.
        const QString folder = dir.filePath(u"pupil"_qs);
        const QString program = folder + u"/QuizarStudent"_qs;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(QStringLiteral(QUIZAR_STUDENT), program));
        TSettings settings;
        SetDefaultConfig(settings);
        settings.IsSendResult = false;
        settings.IsSaveResult = true;
        settings.IsSaveProtectionResult = true;
        settings.IsShowUserResult = false;
        settings.IsShowDetailReportModeNormal = false;
        settings.IsUseSound = false;
        settings.DefaultUserName = Cp(u"Шевченко Тарас"_qs);
        settings.DefaultUserGroup = Cp(u"9 Б"_qs);
        QVERIFY(SaveConfig(settings, folder).Ok());

        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Crash";
        std::vector<TTask> tasks;
        for (int i = 0; i < 3; ++i) {
            TTask task(SingleChoice);
            task.Question = QByteArray::number(i + 2) + " + 2?";
            task.Variants[0] = QByteArray::number(i + 4);
            task.Variants[1] = "0";
            task.Keys[0] = 1;
            tasks.push_back(task);
        }
        const QString testPath = dir.filePath(u"crash.qzf"_qs);
        WriteFile(testPath, WriteTestFile(test, tasks, {}));

        QProcessEnvironment env;
        const QString home = dir.filePath(u"home"_qs);
        QVERIFY(PrivateHomeEnvironment(home, env));
        const QString journals = home + u"/data/Quizar3/QuizarStudent/journal"_qs;

        QProcess pupil;
        pupil.setProcessEnvironment(env);
        pupil.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        auto stop = qScopeGuard([&pupil] {
            pupil.kill();
            pupil.waitForFinished(10000);
        });
        pupil.start(program, {testPath});
        QVERIFY(pupil.waitForStarted(10000));
        QByteArray main;
        QVERIFY2(
            WaitFor([&] { return !(main = Window(u"crash\\.qzf - Quizar Student"_qs)).isEmpty(); }, 60000),
            "the test was not opened");
        Keys(main, {u"F5"_qs});
        QByteArray dialog;
        QVERIFY2(WaitFor([&] { return !(dialog = Window(u"^Почнемо тест"_qs)).isEmpty(); }, 30000),
                 "no name dialog");
        Keys(dialog, {u"Return"_qs});
        QVERIFY2(WaitFor([&] { return CheckedInJournal(journals) == 0; }, 30000), "no journal");
        Keys(main, {u"1"_qs, u"Return"_qs});
        QVERIFY2(WaitFor([&] { return CheckedInJournal(journals) == 1; }, 30000),
                 "the answer did not reach the journal");

        // The power cut: nothing of the program's own ending runs.
        pupil.kill();
        QVERIFY(pupil.waitForFinished(10000));
        QCOMPARE(pupil.exitStatus(), QProcess::CrashExit);
        const QString protectedPath = ProtectionResultPath(settings, folder);
        QVERIFY(!QFileInfo::exists(protectedPath));

        pupil.start(program, {});
        QVERIFY(pupil.waitForStarted(10000));
        QByteArray offer;
        QVERIFY2(WaitFor([&] { return !(offer = Window(u"^Незавершене тестування$"_qs)).isEmpty(); }, 60000),
                 "no offer to continue");
        Keys(offer, {u"Return"_qs}); // "Продовжити" is the default
        QVERIFY2(
            WaitFor([&] { return !(main = Window(u"crash\\.qzf - Quizar Student"_qs)).isEmpty(); }, 30000),
            "the session did not come back");
        Keys(main, {u"1"_qs, u"Return"_qs});
        QVERIFY2(WaitFor([&] { return CheckedInJournal(journals) == 2; }, 30000),
                 "the second answer was lost");
        // The next task is journalled a moment before it is laid out: let the window catch up.
        QTest::qWait(1000);
        Keys(main, {u"1"_qs, u"Return"_qs});
        QVERIFY2(WaitFor([&] { return QFileInfo::exists(protectedPath); }, 30000),
                 "the session did not finish");
        // The journal goes once the last box of the finished session is closed.
        QByteArray box;
        QVERIFY2(WaitFor([&] { return !(box = Window(u"^Результати тестування$"_qs)).isEmpty(); }, 30000),
                 "no closing box");
        QVERIFY(!SessionJournal::Find(journals).isEmpty());
        Keys(box, {u"Return"_qs});
        QVERIFY2(WaitFor([&] { return SessionJournal::Find(journals).isEmpty(); }, 30000),
                 "the journal stayed");

        QList<TResultTest> records;
        QVERIFY(ReadProtectedResults(protectedPath, records).Ok());
        QCOMPARE(records.size(), 1);
        const TResultTest& r = records.constFirst();
        QCOMPARE(r.UserName, Cp(u"Шевченко Тарас"_qs));
        QCOMPARE(r.RightCount, 3);
        QCOMPARE(r.AskedCount, 3);
        QCOMPARE(r.EndReason, quint8(TestEnd::AllAnswered));
        const QByteArray log = ReadFile(ResultLogPath(settings, folder));
        QVERIFY(log.contains(Cp(u"Продолжен тест: \"Crash\""_qs)));
        QCOMPARE(log.count(Cp(u"Шевченко Тарас"_qs)), 1); // one block
    }
};

QTEST_MAIN(TestCrashResume)
#include "tst_crashresume.moc"
