// Sessions broken off by a crash and taken up again from their journals: at every step and every
// byte of a step a resumed session ends as the unbroken one did, each output written once; the
// clocks go on from the wall clock or, behind the settings password, where they stopped; refusing,
// a missing test and a damaged journal each finish or set the session aside as they should; and a
// full disk is told to the pupil without stopping the session.
#include "FileSizeLimit.h"
#include "SessionFixture.h"
#include "model/Crc32.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"
#include "results/ResultFiles.h"
#include "session/SessionJournal.h"
#include "session/SessionRecovery.h"
#include "session/SessionTexts.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/resource.h>

namespace {

const QDateTime Morning(QDate(2026, 3, 2), QTime(9, 15, 0));

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The result files as the engine's window writes them.
class FileResults : public ResultsSink {
public:
    FileResults(ResultFiles& files, EventLog& log) : m_files(files), m_log(log) {}
    void AppendLogLine(const QByteArray& line) override { static_cast<void>(m_files.AppendLogLine(line)); }
    void AppendResultBlock(const TTest&, const TResultTest& result) override {
        static_cast<void>(m_files.AppendLogBlock(result));
        m_log.Add("log block");
    }
    void WriteProtectedResult(const TResultTest& result) override {
        static_cast<void>(m_files.SaveProtectedResult(result));
        m_log.Add("protected file");
    }
    bool HoldsResultBlock(const TResultTest& result) override { return m_files.HoldsLogBlock(result); }
    bool HoldsProtectedResult(const TResultTest& result) override {
        return m_files.HoldsProtectedResult(result);
    }

private:
    ResultFiles& m_files;
    EventLog& m_log;
};

// A server link that keeps what it was sent, as an outbox would until the server has it.
class KeepingServer : public FakeServer {
public:
    using FakeServer::FakeServer;
    QList<QByteArray> results;
    QList<QByteArray> starts;
    void SendSessionStart(const TTest& test, const TResultTest& result, SessionLink& link) override {
        starts.append(link.sessionId);
        FakeServer::SendSessionStart(test, result, link);
    }
    void SendResult(const TTest& test, const TResultTest& result, const SessionLink& link) override {
        results.append(link.sessionId);
        FakeServer::SendResult(test, result, link);
    }
    bool HoldsResult(const QByteArray& sessionId) override { return results.contains(sessionId); }
};

// What a crash leaves on the disk besides the journal, and what the server was sent.
struct World {
    QByteArray log;
    QByteArray protectedFile;
    QList<QByteArray> results;
};

// One run of the program over a folder: its results files, its journals, the test file, a session
// engine with scripted windows, and the recovery at start-up.
struct Program {
    QString root;
    QString testPath;
    EventLog log;
    TSettings settings;
    LoggingPrompts prompts{log};
    FakeView view{log};
    FixedClock clock{Morning};
    ResultFiles files{settings, ProgramFolder(), clock, QLocale(QLocale::Ukrainian, QLocale::Ukraine)};
    FileResults results{files, log};
    KeepingServer server{log};
    FakeWorkstation workstation;
    MemoryRunCounterStore& runCounter;
    // Every shuffle the same: a step taken again after a crash shows what the first one showed.
    RandomGenerator random{[] { return 0x9E3779B9u; }};
    std::unique_ptr<LoadedTest> loaded;
    std::unique_ptr<Session> session;
    QList<ResumeChoice> choices;
    QList<ResumeOffer> offers;
    int unexpectedOffers = 0;
    QByteArray password;
    std::function<bool(QByteArrayView)> gate;

    Program(QString rootFolder, QString test, MemoryRunCounterStore& counter)
        : root(std::move(rootFolder)), testPath(std::move(test)), runCounter(counter) {
        settings.IsSaveProtectionResult = true;
        QDir().mkpath(ProgramFolder());
        SessionServices services{view,
                                 prompts,
                                 results,
                                 server,
                                 runCounter,
                                 workstation,
                                 clock,
                                 random,
                                 [](const QByteArray& q) { return q; },
                                 QLocale(QLocale::Ukrainian, QLocale::Ukraine)};
        services.journalFolder = JournalFolder();
        services.journalGate = [this](QByteArrayView bytes) { return !gate || gate(bytes); };
        session = std::make_unique<Session>(settings, std::move(services));
    }

    QString ProgramFolder() const { return root + QStringLiteral("/program"); }
    QString JournalFolder() const { return root + QStringLiteral("/journal"); }
    QString LogPath() const { return ResultLogPath(settings, ProgramFolder()); }
    QString ProtectedPath() const { return ProtectionResultPath(settings, ProgramFolder()); }
    QStringList Journals() const { return SessionJournal::Find(JournalFolder()); }

    bool Load(const QString& path) {
        session->DetachTest();
        LoadOptions options;
        options.tempRoot = root + QStringLiteral("/temp");
        options.ask = &prompts;
        loaded = LoadTest(path, nullptr, options).loaded;
        return loaded && session->AttachTest(*loaded->test, loaded->tasks);
    }

    bool Start() {
        if (!Load(testPath))
            return false;
        view.names.append(std::pair{QStringLiteral("Іваненко Іван"), QStringLiteral("7-А")});
        session->BeginTest();
        return session->State() == SessionState::Testing;
    }

    // The start-up of the program: true when a session was resumed.
    bool Recover() {
        RecoveryServices services{*session,
                                  prompts,
                                  results,
                                  server,
                                  settings,
                                  clock,
                                  JournalFolder(),
                                  [this] { return password; },
                                  [this](const ResumeOffer& offer) {
                                      offers.append(offer);
                                      if (!choices.isEmpty())
                                          return choices.takeFirst();
                                      // Not scripted: refuse, so that the test ends.
                                      ++unexpectedOffers;
                                      prompts.yesNo.enqueue(true);
                                      return ResumeChoice::Refuse;
                                  },
                                  [this](const QString& path) { return Load(path); }};
        return SessionRecovery(std::move(services)).Run();
    }

    World TakeWorld() const { return {ReadAll(LogPath()), ReadAll(ProtectedPath()), server.results}; }
    void PutWorld(const World& world) {
        if (!world.log.isNull())
            WriteAll(LogPath(), world.log);
        if (!world.protectedFile.isNull())
            WriteAll(ProtectedPath(), world.protectedFile);
        server.results = world.results;
    }

    const TaskPresentation& Shown() const { return view.presented.last(); }
    void AnswerRight() { view.answer = RightAnswer(*Shown().task, Shown().variantOrder); }
    // The first row answered against the key, the others as keyed; a wrong answer where there are
    // no rows.
    void AnswerPartly() {
        AnswerRight();
        TaskAnswer& a = view.answer;
        if (!a.ticked.isEmpty()) {
            a.ticked[0] = !a.ticked[0];
            a.chosenIndex[0] = a.chosenIndex[0] == 1 ? 2 : 1;
            a.chosenRow = a.chosenRow == 0 ? 1 : 0;
        } else {
            a.text = "nonsense";
            a.point = QPoint(-5, -5);
        }
    }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& m : prompts.messages)
            texts.append(m.text);
        return texts;
    }
};

// Every kind with rows and one of each other, a hint on every task, variants and tasks shuffled,
// skipping, "Я не знаю...", education mode and partial credit.
QString WriteScenarioTest(const QString& folder, qint32 testTimeLimit = 0) {
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = Cp("Мішанка");
    test.UId = "{9E3779B9-0000-4000-8000-000000000001}";
    test.RandomTaskOrder = 1;
    test.RandomVariantOrder = 1;
    test.AllowSkipping = true;
    test.PenaliseWrong = true;
    test.EducationMode = true;
    test.WholeAnswerOnly = false;
    test.TestTimeLimit = testTimeLimit;
    auto task = [](int kind, int weight, const QList<qint32>& keys) {
        TTask t(kind);
        t.Question = "q" + QByteArray::number(kind);
        t.Weight = weight;
        t.Hint = "hint";
        t.HintPenalty = 1;
        for (int i = 0; i < keys.size(); ++i) {
            t.Variants[size_t(i)] = "v" + QByteArray::number(i);
            t.Keys[size_t(i)] = keys[i];
        }
        return t;
    };
    std::vector<TTask> tasks = {task(SingleChoice, 2, {0, 1, 0}), task(MultipleChoice, 4, {1, 1, 0, 0}),
                                task(Ordering, 3, {2, 3, 1}),     task(InputNum, 1, {}),
                                task(InputText, 1, {}),           task(TrueFalse, 4, {1, 2, 2, 1})};
    tasks[3].NumValue = 42;
    tasks[4].TextAnswers = Cp("Київ");
    const QString path = QDir(folder).filePath(QStringLiteral("scenario.qzf"));
    WriteAll(path, WriteTestFile(test, tasks, {}));
    return path;
}

using Step = std::function<void(Program&)>;

// The session the crash tests break off: each step is one command of the pupil (or a few seconds).
QList<Step> Scenario() {
    return {
        [](Program& p) { QVERIFY(p.Start()); },
        [](Program& p) {
            p.prompts.yesNo.enqueue(true); // the hint's price is accepted
            p.session->ShowPromptTask();
        },
        [](Program& p) {
            p.AnswerRight(); // kept as a draft
            p.session->SkipTask();
        },
        [](Program& p) {
            p.AnswerPartly();
            p.session->CheckAskTask();
        },
        [](Program& p) {
            for (int s = 0; s < 5; ++s) {
                p.session->TaskTick();
                p.session->TestTick();
            }
        },
        [](Program& p) { p.session->IDoNotKnow(); },
        [](Program& p) { p.session->GoToTask(0); },    // back to the draft
        [](Program& p) { p.session->CheckAskTask(); }, // as the draft stands
        [](Program& p) {
            p.prompts.yesNo.enqueue(true);
            p.session->ShowPromptTask();
        },
        [](Program& p) {
            p.AnswerRight();
            p.session->CheckAskTask();
        },
        [](Program& p) {
            p.AnswerPartly();
            p.session->CheckAskTask();
        },
        [](Program& p) {
            p.prompts.yesNo.enqueue(true);
            p.session->EndTest();
        },
    };
}

// A record with its times taken out.
TResultTest WithoutTimes(TResultTest r) {
    r.StartTime = r.EndTime = r.RecordedTime = 0;
    r.ElapsedSeconds = 0;
    r.TaskSeconds.fill(0);
    return r;
}

// The blocks of the results log, each without the lines that carry times.
QList<QList<QByteArray>> LogBlocks(const QByteArray& log) {
    const QByteArray rule(48, '-');
    QList<QList<QByteArray>> blocks;
    QList<QByteArray> block;
    bool inside = false;
    for (const QByteArray& line : log.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text == rule) {
            if (inside)
                blocks.append(block);
            inside = !inside;
            block.clear();
        } else if (inside && !text.startsWith("----------") && !text.contains(Cp("Время")) &&
                   !text.contains(Cp("Продолжительность")) && !text.contains(Cp("Маска времени"))) {
            block.append(text);
        }
    }
    return blocks;
}

QList<TResultTest> Protected(const QString& path) {
    QList<TResultTest> records;
    static_cast<void>(ReadProtectedResults(path, records));
    return records;
}

QString TempRoot() {
    // Thousands of forced writes: on a memory file system they cost nothing.
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

// Three single-choice tasks (the second variant right), in file order unless shuffled.
QString WriteSmallTest(const QString& folder, const QString& name, qint32 testTimeLimit = 0,
                       const QString& title = QStringLiteral("Геометрія")) {
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = Cp(title);
    test.UId = "{9E3779B9-0000-4000-8000-000000000002}";
    test.TestTimeLimit = testTimeLimit;
    test.RandomVariantOrder = 1;
    std::vector<TTask> tasks(3, SessionFixture::Choice(2));
    for (size_t i = 0; i < tasks.size(); ++i)
        tasks[i].Question = "q" + QByteArray::number(qulonglong(i));
    const QString path = QDir(folder).filePath(name);
    WriteAll(path, WriteTestFile(test, tasks, {}));
    return path;
}

// A program that stops without finishing its session, as a killed one does.
std::unique_ptr<Program> Crashed(std::unique_ptr<Program> program) {
    program->session.reset();
    return program;
}

} // namespace

class TestSessionResume : public QObject {
    Q_OBJECT

    QTemporaryDir m_tests;

private slots:
    // The scenario run once without a break, the files looked at before every journal write; then,
    // for every record, the program is started again on what a crash just before and just after it
    // would have left (and on every cut inside it), continues or completes the session, and must end
    // with the same result, one block in the log, one protected record and one result sent.
    void crashAtEveryStepEndsAsWithoutOne() {
        const QString testPath = WriteScenarioTest(m_tests.path());
        MemoryRunCounterStore counter;
        QTemporaryDir whole(TempRoot() + QStringLiteral("/quizar-resume-XXXXXX"));
        Program reference(whole.path(), testPath, counter);
        struct Moment {
            QByteArray journal; // the file as the write found it
            QByteArray bytes;   // what the write put down
            World world;
        };
        QList<Moment> moments;
        QString journalPath;
        reference.gate = [&](QByteArrayView bytes) {
            const QStringList journals = reference.Journals();
            journalPath = journals.isEmpty() ? journalPath : journals.constFirst();
            moments.append({journals.isEmpty() ? QByteArray() : ReadAll(journals.constFirst()),
                            bytes.toByteArray(), reference.TakeWorld()});
            return true;
        };
        const QList<Step> steps = Scenario();
        QList<int> firstRecord; // the records written before each step
        for (const Step& step : steps) {
            firstRecord.append(int(moments.size()));
            step(reference);
        }
        QCOMPARE(reference.session->State(), SessionState::TestLoaded);
        QVERIFY(reference.Journals().isEmpty());
        QVERIFY(!reference.Messages().filter(QStringLiteral("Неправильно...")).isEmpty()); // feedback ran
        const QList<TResultTest> expectedRecords = Protected(reference.ProtectedPath());
        QCOMPARE(expectedRecords.size(), 1);
        const TResultTest expected = WithoutTimes(expectedRecords.constFirst());
        QCOMPARE(expected.EndReason, quint8(2));
        QCOMPARE(expected.HintCount, 2);
        QCOMPARE(expected.DontKnowCount, 1);
        const QList<QList<QByteArray>> expectedBlocks = LogBlocks(ReadAll(reference.LogPath()));
        QCOMPARE(expectedBlocks.size(), 1);
        const World after = reference.TakeWorld();
        const QByteArray sessionId = reference.server.results.value(0);
        QVERIFY(!sessionId.isEmpty());
        const QByteArray finalJournal = moments.constLast().journal + moments.constLast().bytes;

        struct Crash {
            QByteArray journal;
            World world;
            int records; // whole records in the journal
            QString what;
        };
        QList<Crash> crashes;
        for (int i = 1; i <= moments.size(); ++i) {
            const QByteArray journal = i < moments.size() ? moments[i].journal : finalJournal;
            const World& now = i < moments.size() ? moments[i].world : after;
            crashes.append({journal, moments[i - 1].world, i, QStringLiteral("after record %1").arg(i)});
            crashes.append({journal, now, i, QStringLiteral("before record %1").arg(i + 1)});
            if (i < moments.size()) {
                for (qsizetype cut = 1; cut < moments[i].bytes.size(); ++cut)
                    crashes.append({journal + moments[i].bytes.first(cut), now, i,
                                    QStringLiteral("in record %1 at byte %2").arg(i + 1).arg(cut)});
            }
        }
        for (const Crash& crash : crashes) {
            QTemporaryDir dir(TempRoot() + QStringLiteral("/quizar-resume-XXXXXX"));
            Program p(dir.path(), testPath, counter);
            p.PutWorld(crash.world);
            WriteAll(QDir(p.JournalFolder()).filePath(QFileInfo(journalPath).fileName()), crash.journal);
            p.choices.append(ResumeChoice::Continue);
            const bool resumed = p.Recover();
            const int next = int(std::find_if(firstRecord.begin(), firstRecord.end(),
                                              [&](int first) { return first >= crash.records; }) -
                                 firstRecord.begin());
            QVERIFY2(resumed == (next < steps.size()), qPrintable(crash.what));
            for (int s = next; s < steps.size(); ++s)
                steps[s](p);
            QVERIFY2(p.session->State() != SessionState::Testing, qPrintable(crash.what));
            QVERIFY2(p.Journals().isEmpty(), qPrintable(crash.what));
            QCOMPARE(p.unexpectedOffers, 0);
            const QList<TResultTest> records = Protected(p.ProtectedPath());
            QVERIFY2(records.size() == 1, qPrintable(crash.what));
            QVERIFY2(WithoutTimes(records.constFirst()).SameStoredFields(expected), qPrintable(crash.what));
            QVERIFY2(LogBlocks(ReadAll(p.LogPath())) == expectedBlocks, qPrintable(crash.what));
            QVERIFY2(p.server.results == QList<QByteArray>{sessionId}, qPrintable(crash.what));
        }
    }

    // The clocks after a break of `away` seconds: by default the break counts as used; behind the
    // settings password they go on where the journal left them (at most the few seconds since the
    // journal last wrote them are given back); a clock set back gives nothing back.
    void clocksAfterTheBreak_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("away");
        QTest::addColumn<bool>("keepTime");
        QTest::addColumn<int>("offered"); // the elapsed time the dialog counts with
        QTest::addColumn<int>("elapsed"); // when the session goes on
        QTest::addColumn<int>("taskSeconds");
        QTest::addColumn<bool>("timeUp");
        // 7 seconds were used; the journal has the clocks of second 5, written at second 5.
        QTest::newRow("no limit") << 0 << 100 << false << 107 << 107 << 107 << false;
        QTest::newRow("limit") << 600 << 100 << false << 107 << 107 << 107 << false;
        QTest::newRow("without loss of time") << 600 << 100 << true << 107 << 5 << 5 << false;
        QTest::newRow("clock set back") << 600 << -3600 << false << 5 << 5 << 5 << false;
        QTest::newRow("time ran out meanwhile") << 60 << 100 << false << 107 << 107 << 107 << true;
    }
    void clocksAfterTheBreak() {
        QFETCH(int, limit);
        QFETCH(int, away);
        QFETCH(bool, keepTime);
        QTemporaryDir dir;
        const QString test = WriteSmallTest(dir.path(), "t.qzf", limit);
        MemoryRunCounterStore counter;
        auto first = std::make_unique<Program>(dir.path(), test, counter);
        QVERIFY(first->Start());
        for (int s = 0; s < 7; ++s) {
            first->clock.AddSecs(1);
            first->session->TaskTick();
            first->session->TestTick();
        }
        const QList<qint32> order = first->Shown().variantOrder;
        const QDateTime crashed = first->clock.Now();
        first = Crashed(std::move(first));

        Program p(dir.path(), test, counter);
        p.clock.Set(crashed.addSecs(away));
        p.password = keepTime ? "secret" : "";
        p.prompts.passwords.enqueue(QByteArray("secret"));
        p.choices.append(keepTime ? ResumeChoice::ContinueKeepingTime : ResumeChoice::Continue);
        QVERIFY(p.Recover());
        const ResumeOffer& offer = p.offers.constFirst();
        QCOMPARE(offer.offerKeepingTime, keepTime);
        QCOMPARE(offer.answered, 0);
        QCOMPARE(offer.askCount, 3);
        QCOMPARE(offer.userName, Cp("Іваненко Іван"));
        QCOMPARE(offer.testTitle, Cp("Геометрія"));
        QTEST(offer.elapsedSeconds, "offered");
        QCOMPARE(offer.secondsLeft,
                 limit > 0 ? std::optional<qint32>(std::max(limit - offer.elapsedSeconds, 0)) : std::nullopt);
        QFETCH(bool, timeUp);
        if (timeUp) {
            // The task on screen is checked as it stands, then the session ends for its time.
            QCOMPARE(p.session->State(), SessionState::TestLoaded);
            QVERIFY(p.Messages().contains(QStringLiteral("Час тестування вичерпано!")));
            QCOMPARE(p.view.finished->EndReason, quint8(3));
            QCOMPARE(p.view.finished->WrongCount, 1);
            QTEST(p.view.finished->ElapsedSeconds, "elapsed");
            return;
        }
        QCOMPARE(p.session->State(), SessionState::Testing);
        const TResultTest& r = *p.session->Result();
        QTEST(r.ElapsedSeconds, "elapsed");
        QTEST(r.TaskSeconds[0], "taskSeconds");
        QCOMPARE(p.view.testClock.first, r.ElapsedSeconds);
        QCOMPARE(p.view.taskClock.first, r.TaskSeconds[0]);
        QCOMPARE(p.Shown().variantOrder, order);
        QVERIFY(p.session->IsTestClockRunning() && p.session->IsTaskClockRunning());
    }

    // Continuing is the same session: its id, its order and positions, its list and mode; it is
    // announced again but not counted as a new run, and no start password is asked.
    void continuingIsTheSameSession() {
        QTemporaryDir dir;
        TTest header({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        header.Title = Cp("Хімія");
        header.UId = "{9E3779B9-0000-4000-8000-000000000003}";
        header.StartPassword = "start";
        header.MaxRuns = 1;
        header.MonoMode = true;
        header.AllowSkipping = true;
        header.RandomTaskOrder = 1;
        header.RandomVariantOrder = 1;
        std::vector<TTask> tasks(4, SessionFixture::Choice(1));
        for (size_t i = 0; i < tasks.size(); ++i)
            tasks[i].Question = "q" + QByteArray::number(qulonglong(i));
        const QString test = dir.filePath("t.qzf");
        WriteAll(test, WriteTestFile(header, tasks, {}));
        MemoryRunCounterStore counter;
        auto first = std::make_unique<Program>(dir.path(), test, counter);
        first->prompts.passwords.enqueue(QByteArray("start"));
        QVERIFY(first->Start());
        first->AnswerRight();
        first->session->CheckAskTask();
        first->session->SkipTask();
        const TaskPresentation shown = first->Shown();
        const TResultTest before = *first->session->Result();
        const QByteArray sessionId = first->session->Link().sessionId;
        first = Crashed(std::move(first));

        Program p(dir.path(), test, counter);
        // Another generator: whatever is shown again comes from the journal, not from a new shuffle.
        p.random = RandomGenerator([n = quint32(7)]() mutable { return n = n * 2654435761u + 1u; });
        p.choices.append(ResumeChoice::Continue);
        QVERIFY(p.Recover());
        QCOMPARE(p.prompts.passwordRequests, 0);
        QCOMPARE(counter.counts.value(header.UId), QByteArray("1"));
        QCOMPARE(p.session->Link().sessionId, sessionId);
        QCOMPARE(p.server.starts, QList<QByteArray>{sessionId});
        QVERIFY(p.session->Link().online);
        QVERIFY(ReadAll(p.LogPath()).endsWith(Cp("02.03.2026 09:15:00 Продолжен тест: \"Хімія\"\r\n")));
        const TResultTest& r = *p.session->Result();
        QCOMPARE(r.Order, before.Order);
        QCOMPARE(r.Position, before.Position);
        QCOMPARE(r.AskedCount, before.AskedCount);
        QCOMPARE(r.Visited, before.Visited);
        QVERIFY(r.SameStoredFields(before));
        QCOMPARE(p.Shown().position, shown.position);
        QCOMPARE(p.Shown().taskNumber, shown.taskNumber);
        QCOMPARE(p.Shown().variantOrder, shown.variantOrder);
        QCOMPARE(p.Shown().askedCount, shown.askedCount);
        QCOMPARE(p.view.starts.constLast().taskWordings.size(), 4);
        // Answered, left open, shown now; the last one not shown yet.
        QCOMPARE(p.view.listImages, (QMap<qint32, int>{{0, 2}, {1, 1}, {2, 1}}));
        QVERIFY(p.log.events.contains("enter mono"));
        QCOMPARE(p.view.states.constLast(), SessionState::Testing);

        // It goes on in the same journal and finishes as any session does.
        for (int i = 0; i < 3; ++i) {
            p.AnswerRight();
            p.session->CheckAskTask();
        }
        QCOMPARE(p.session->State(), SessionState::TestLoaded);
        QCOMPARE(p.view.finished->RightCount, 4);
        QCOMPARE(p.server.results, QList<QByteArray>{sessionId});
        QVERIFY(p.Journals().isEmpty());
    }

    void refusingFinishesAsClosingWould() {
        QTemporaryDir dir;
        const QString test = WriteSmallTest(dir.path(), "t.qzf");
        MemoryRunCounterStore counter;
        auto first = std::make_unique<Program>(dir.path(), test, counter);
        QVERIFY(first->Start());
        first->AnswerRight();
        first->session->CheckAskTask();
        const QByteArray sessionId = first->session->Link().sessionId;
        first = Crashed(std::move(first));

        Program p(dir.path(), test, counter);
        p.choices = {ResumeChoice::Refuse, ResumeChoice::Refuse};
        p.prompts.yesNo.enqueue(false); // the first refusal is taken back
        p.prompts.yesNo.enqueue(true);
        QVERIFY(!p.Recover());
        QCOMPARE(p.offers.size(), 2);
        QCOMPARE(p.prompts.questions.constFirst().caption, QStringLiteral("Незавершене тестування"));
        QCOMPARE(p.session->State(), SessionState::TestLoaded);
        const TResultTest& r = *p.view.finished;
        QCOMPARE(r.EndReason, quint8(4));
        QCOMPARE(r.RightCount, 1);
        QCOMPARE(r.DontKnowCount, 1); // the task on screen, as closing counts it
        QCOMPARE(r.AskedCount, 2);
        QCOMPARE(r.TaskPoints, (QList<qint32>{2, 0, -1}));
        QVERIFY(p.server.starts.isEmpty());
        QCOMPARE(p.server.results, QList<QByteArray>{sessionId});
        QVERIFY(ReadAll(p.LogPath()).contains(Cp("Тест прерван - закрыта программа...")));
        QCOMPARE(Protected(p.ProtectedPath()).size(), 1);
        QVERIFY(p.Journals().isEmpty());
        QVERIFY(p.log.events.contains("summary"));
    }

    void continuingWithoutLossOfTimeNeedsThePassword() {
        QTemporaryDir dir;
        const QString test = WriteSmallTest(dir.path(), "t.qzf");
        MemoryRunCounterStore counter;
        auto first = std::make_unique<Program>(dir.path(), test, counter);
        QVERIFY(first->Start());
        first = Crashed(std::move(first));
        // No password is set: the choice is not offered, and asking for it anyway changes nothing.
        auto second = std::make_unique<Program>(dir.path(), test, counter);
        second->choices = {ResumeChoice::ContinueKeepingTime, ResumeChoice::Continue};
        QVERIFY(second->Recover());
        QVERIFY(!second->offers.constFirst().offerKeepingTime);
        QCOMPARE(second->offers.size(), 2);
        QCOMPARE(second->prompts.passwordRequests, 0);
        second = Crashed(std::move(second));
        // With one, a wrong password is told, a cancelled prompt is not, and both offer the dialog
        // again.
        Program p(dir.path(), test, counter);
        p.password = "secret";
        for (const std::optional<QByteArray>& typed :
             {std::optional(QByteArray("Secret")), std::optional<QByteArray>(),
              std::optional(QByteArray("secret"))})
            p.prompts.passwords.enqueue(typed);
        p.choices = {ResumeChoice::ContinueKeepingTime, ResumeChoice::ContinueKeepingTime,
                     ResumeChoice::ContinueKeepingTime};
        QVERIFY(p.Recover());
        QVERIFY(p.offers.constFirst().offerKeepingTime);
        QCOMPARE(p.offers.size(), 3);
        QCOMPARE(p.prompts.passwordRequests, 3);
        QCOMPARE(p.Messages(), QStringList{QStringLiteral("Неправильний пароль...")});
        QCOMPARE(p.session->State(), SessionState::Testing);
    }

    // Journals that cannot be taken up: without the test (gone, changed, or one that the journal
    // does not replay on) the session is finished from what the journal stored, and the pupil is
    // told; a journal that does not hold is moved aside, and the pupil is told.
    void journalsThatCannotBeResumed_data() {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("test gone") << "gone";
        QTest::newRow("test changed") << "changed";
        QTest::newRow("answer scores otherwise") << "rescored";
        QTest::newRow("journal edited") << "edited";
    }
    void journalsThatCannotBeResumed() {
        QFETCH(QString, trouble);
        QTemporaryDir dir;
        const QString test = WriteSmallTest(dir.path(), "t.qzf");
        MemoryRunCounterStore counter;
        auto first = std::make_unique<Program>(dir.path(), test, counter);
        QVERIFY(first->Start());
        first->AnswerRight();
        first->session->CheckAskTask();
        first->AnswerPartly();
        first->session->CheckAskTask();
        const QByteArray sessionId = first->session->Link().sessionId;
        const QString journalPath = first->Journals().value(0);
        first = Crashed(std::move(first));

        JournalFile journal;
        QVERIFY(SessionJournal::Read(journalPath, journal).Ok());
        if (trouble == "gone") {
            QVERIFY(QFile::remove(test));
        } else if (trouble == "changed") {
            WriteSmallTest(dir.path(), "t.qzf", 0, QStringLiteral("Геометрія 2"));
        } else if (trouble == "rescored") {
            // Sealed as the program seals, but the second answer is stored as worth more than it is.
            QList<JournalRecord> records = journal.records;
            for (JournalRecord& record : records) {
                if (auto* check = std::get_if<JournalCheck>(&record.step); check && check->position == 1)
                    check->outcome.score += 10;
            }
            Status status;
            std::unique_ptr<SessionJournal> forged = SessionJournal::Create(journalPath, records[0], status);
            for (qsizetype i = 1; i < records.size(); ++i)
                QVERIFY(forged->Append(records[i]).Ok());
        } else if (trouble == "edited") {
            QByteArray bytes = ReadAll(journalPath);
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 4);
            WriteAll(journalPath, bytes);
        }

        Program p(dir.path(), test, counter);
        p.choices.append(ResumeChoice::Continue);
        QVERIFY(!p.Recover());
        QCOMPARE(p.prompts.messages.size(), 1);
        QCOMPARE(p.prompts.messages.constFirst().caption, QStringLiteral("Незавершене тестування"));
        QCOMPARE(p.prompts.messages.constFirst().icon, MsgIcon::Warning);
        QVERIFY(p.Journals().isEmpty());
        if (trouble == "edited") {
            QVERIFY(p.offers.isEmpty());
            QVERIFY(p.Messages().constFirst().startsWith(
                QStringLiteral("Журнал незавершеного тестування пошкоджено")));
            const QStringList aside =
                QDir(p.JournalFolder() + QStringLiteral("/damaged")).entryList(QDir::Files);
            QCOMPARE(aside.size(), 1);
            QVERIFY(p.Messages().constFirst().contains(aside.constFirst()));
            QVERIFY(p.server.results.isEmpty());
            QVERIFY(!QFile::exists(p.ProtectedPath()));
            return;
        }
        QCOMPARE(p.offers.size(), trouble == "rescored" ? 1 : 0);
        QCOMPARE(p.Messages().constFirst(),
                 QStringLiteral(
                     "Тестування \"Геометрія\" (Іваненко Іван, 7-А) не можна продовжити: файл тесту "
                     "відсутній, змінений або не відкривається.\r\nТестування завершено з відповідями, що "
                     "були збережені."));
        const QList<TResultTest> records = Protected(p.ProtectedPath());
        QCOMPARE(records.size(), 1);
        const TResultTest& r = records.constFirst();
        QCOMPARE(r.EndReason, quint8(4));
        QCOMPARE(r.RightCount, 1);
        QCOMPARE(r.WrongCount, 1);
        QCOMPARE(r.DontKnowCount, 1); // the task on screen
        QCOMPARE(r.AskedCount, 3);
        QCOMPARE(r.Score, trouble == "rescored" ? 12.0 : 2.0);
        QCOMPARE(r.TaskPoints, (QList<qint32>{2, 0, 0}));
        QCOMPARE(r.UserName, Cp("Іваненко Іван"));
        QCOMPARE(r.Mark, trouble == "rescored" ? 5 : 2);
        QCOMPARE(p.server.results, QList<QByteArray>{sessionId});
        QVERIFY(ReadAll(p.LogPath()).contains(Cp("Тест прерван - закрыта программа...")));
    }

    // A full disk under a running session: the pupil is told once, the session goes on, and as
    // soon as there is room again the whole journal is written, so a crash after that loses nothing.
    void fullDiskIsToldAndTheJournalCatchesUp() {
        QTemporaryDir dir;
        const QString test = WriteSmallTest(dir.path(), "t.qzf");
        MemoryRunCounterStore counter;
        // How large the journal is once the first task is shown: the disk fills up right there.
        qint64 roomy = 0;
        {
            QTemporaryDir probe;
            Program p(probe.path(), test, counter);
            QVERIFY(p.Start());
            roomy = QFileInfo(p.Journals().value(0)).size();
        }
        const int outcome = RunWithFileSizeLimit(roomy, [&] {
            Program p(dir.path(), test, counter);
            if (!p.Start())
                return 1;
            p.AnswerRight();
            p.session->CheckAskTask(); // refused by the disk
            p.AnswerRight();
            p.session->CheckAskTask(); // refused again, without a second word
            const QStringList told = p.Messages();
            if (told != QStringList{SessionTexts::JournalWriteFailed()})
                return 2;
            if (p.session->State() != SessionState::Testing || p.Shown().position != 2)
                return 3;
            // Room again: the next step puts the whole journal down.
            rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
            ::getrlimit(RLIMIT_FSIZE, &unlimited);
            unlimited.rlim_cur = unlimited.rlim_max;
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
            for (int s = 0; s < 5; ++s)
                p.session->TestTick();
            JournalFile journal;
            if (!SessionJournal::Read(p.Journals().value(0), journal).Ok() ||
                journal.records.size() != p.session->Journal()->RecordCount())
                return 4;
            return p.Messages().size() == 1 ? 0 : 5;
        });
        QCOMPARE(outcome, 0);
        // What the child left is a journal of two answers, the third task on screen.
        Program p(dir.path(), test, counter);
        p.choices.append(ResumeChoice::Continue);
        QVERIFY(p.Recover());
        QCOMPARE(p.offers.constFirst().answered, 2);
        QCOMPARE(p.Shown().position, 2);
        QCOMPARE(p.session->Result()->RightCount, 2);
    }
};

QTEST_GUILESS_MAIN(TestSessionResume)
#include "tst_sessionresume.moc"
