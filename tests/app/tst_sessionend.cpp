// The end of a session through the window: a task's clock running out, every output of the
// finishing sequence with the real modal windows, and the exclusive mode around a session.
#include "MainFormFixture.h"
#include "ModalWatcher.h"
#include "TestFiles.h"
#include "WidgetTesting.h"
#include "app/MainStatusBar.h"
#include "app/SessionWindowView.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TextViewForm.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

const QDateTime Created(QDate(2026, 1, 1), QTime(8, 0));

TTask Choice(const QByteArray& question) {
    TTask task(SingleChoice);
    task.Question = question;
    task.Variants[0] = "yes";
    task.Variants[1] = "no";
    task.Keys[0] = 1;
    return task;
}

// Writes the test and opens the window on it, with the pupil's name already given.
TStudentMainForm& OpenOn(MainFormFixture& f, const TTest& test, const std::vector<TTask>& tasks) {
    TStudentMainForm& w = f.Open({f.SaveTest(QStringLiteral("t.qzf"), test, tasks)});
    f.AnswerNameDialog("Olena", "9-B");
    return w;
}

void ChooseRow(TStudentMainForm& w, int row) {
    static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio + row))->click();
}

} // namespace

class TestSessionEnd : public QObject {
    Q_OBJECT
private slots:
    // The task's clock counts down on panel 5 from the presentation on, turns red, and at the
    // limit the pupil is told and the answer on screen is checked as it stands.
    void TaskClockRunsOut() {
        MainFormFixture f;
        std::vector<TTask> tasks{Choice("first"), Choice("second")};
        tasks[0].TimeLimit = 12;
        TTest test({}, {}, Created);
        TStudentMainForm& w = OpenOn(f, test, tasks);
        w.show();
        QTRY_VERIFY(w.Test());
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        TMainStatusBar& bar = *w.StatusPanels();
        QCOMPARE(bar.PanelText(3), QStringLiteral("00:00:00"));
        QCOMPARE(bar.PanelText(5), QStringLiteral("00:00:12"));
        QVERIFY(!bar.PanelUrgent(5));
        ChooseRow(w, 0);
        for (int i = 0; i < 3; ++i)
            w.SessionWindow().TimerTaskTimer();
        QCOMPARE(bar.PanelText(5), QStringLiteral("00:00:09"));
        QVERIFY(bar.PanelUrgent(5));
        QVERIFY(f.prompts.messages.isEmpty());
        for (int i = 0; i < 9; ++i)
            w.SessionWindow().TimerTaskTimer();
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages.first().caption, QStringLiteral("Внимание!"));
        QCOMPARE(f.prompts.messages.first().text, QStringLiteral("Час обмірковування завдання вичерпано!"));
        // The answer on screen was taken as it stood, and the next task has no limit.
        const TResultTest* result = w.SessionEngine().Result();
        QVERIFY(result);
        QCOMPARE(result->GetTaskAnswer(0), QByteArray("1"));
        QCOMPARE(result->GetTaskPoints(0), 1);
        QCOMPARE(w.SessionEngine().CurrentTask()->Question, QByteArray("second"));
        QCOMPARE(bar.PanelText(5), QString());
    }

    // The test's clock starts with the session and the task's clock with each presentation, so a
    // limit of n seconds lasts n whole seconds; between sessions neither runs.
    void ClocksStartWithTheirSessionAndTask() {
        MainFormFixture f;
        TTest test({}, {}, Created);
        TStudentMainForm& w = OpenOn(f, test, {Choice("first"), Choice("second")});
        w.Settings().IsShowUserResult = false;
        w.show();
        QTRY_VERIFY(w.Test());
        auto* taskTimer = w.findChild<QTimer*>(QStringLiteral("TimerTask"));
        auto* testTimer = w.findChild<QTimer*>(QStringLiteral("TimerTest"));
        QVERIFY(taskTimer && testTimer);
        QVERIFY(!taskTimer->isActive() && !testTimer->isActive());
        QTest::qWait(400); // a clock left running since the window opened would be part-way now
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QVERIFY(testTimer->isActive() && testTimer->remainingTime() > 800);
        QVERIFY(taskTimer->isActive() && taskTimer->remainingTime() > 800);
        QTest::qWait(400);
        ChooseRow(w, 0);
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.SessionEngine().CurrentTask()->Question, QByteArray("second"));
        QVERIFY(taskTimer->remainingTime() > 800);
        ChooseRow(w, 0);
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QVERIFY(!taskTimer->isActive() && !testTimer->isActive());
    }

    // The instruction at the start is the command's window, with its caption, also when the
    // instruction holds only a picture.
    void InstructionAtStart() {
        MainFormFixture f;
        TTest test({}, {}, Created);
        test.Title = "Algebra";
        QImage dot(4, 4, QImage::Format_RGB32);
        dot.fill(Qt::red);
        test.Instruction = "{\\rtf1{\\pict\\pngblip " + Encoded(dot, "PNG").toHex() + "}}";
        TStudentMainForm& w = OpenOn(f, test, {Choice("only")});
        w.show();
        QTRY_VERIFY(w.Test());
        ModalWatcher watcher;
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        QCOMPARE(watcher.titles, QStringList{QStringLiteral("Инструкция к тесту \"Algebra\"")});
    }

    // "Закінчити тест" asks once. A test limit that runs out while the question is open does not
    // finish the session behind the pupil's back: the answer decides, and the session ends once.
    void EndTestAsksOnce_data() {
        QTest::addColumn<bool>("limitRunsOutMeanwhile");
        QTest::newRow("plain") << false;
        QTest::newRow("test time runs out inside the question") << true;
    }
    void EndTestAsksOnce() {
        QFETCH(bool, limitRunsOutMeanwhile);
        MainFormFixture f;
        TTest test({}, {}, Created);
        test.TestTimeLimit = 3;
        TStudentMainForm& w = OpenOn(f, test, {Choice("first"), Choice("second")});
        w.Settings().IsShowUserResult = false;
        w.show();
        QTRY_VERIFY(w.Test());
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        f.prompts.yesNo.enqueue(true);
        if (limitRunsOutMeanwhile)
            f.prompts.duringPrompt = [&] {
                f.prompts.duringPrompt = nullptr;
                for (int i = 0; i < 5; ++i)
                    w.SessionWindow().TimerTestTimer();
            };
        w.Action(QStringLiteral("AEndTest"))->trigger();
        QCOMPARE(f.prompts.questions.size(), 1);
        QCOMPARE(f.prompts.questions.first().text, QStringLiteral("Ви бажаєте зупинити тестування?"));
        QCOMPARE(w.State(), SessionState::TestLoaded);
        for (const auto& m : f.prompts.messages)
            QVERIFY2(m.text != QStringLiteral("Час тестування вичерпано!"), qPrintable(m.text));
        const QByteArray log = f.ResultLog();
        QCOMPARE(log.count(Cp(QStringLiteral("Тест остановлен..."))), 1);
        QVERIFY(!log.contains(Cp(QStringLiteral("Тест закончен - вышло время..."))));
    }

    // Finishing runs every output in turn with the real windows: the summary in the question
    // text, the log, the results window and then the report; the test stays loaded for the next
    // pupil.
    void FinishShowsEveryOutput() {
        MainFormFixture f;
        TTest test({}, {}, Created);
        test.Title = "Outputs";
        test.EducationMode = true;
        test.ReportInEducationMode = true;
        TStudentMainForm& w = OpenOn(f, test, {Choice("only")});
        w.show();
        QTRY_VERIFY(w.Test());
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        ChooseRow(w, 0);
        QString reportText;
        QString resultCaption;
        bool windowFollowed = false;
        ModalWatcher watcher([&](QWidget& modal) {
            if (auto* viewer = qobject_cast<TTextViewForm*>(&modal))
                reportText = viewer->Viewer()->toPlainText();
            if (modal.objectName() == QLatin1String("ShowResultForm")) {
                resultCaption = modal.windowTitle();
                // Behind the results window the session is over already.
                windowFollowed = w.State() == SessionState::TestLoaded &&
                                 !w.Area().GoCheckButton()->isEnabled() &&
                                 w.StatusPanels()->PanelText(0) == QStringLiteral("Тест обрано");
            }
        });
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(watcher.titles, QStringList({QStringLiteral("Результати тесування (Olena 9-B)"),
                                              QStringLiteral("Отчет по прохождению теста")}));
        QCOMPARE(resultCaption, QStringLiteral("Результати тесування (Olena 9-B)"));
        QVERIFY(windowFollowed);
        QVERIFY(reportText.contains(QStringLiteral("only")));
        QVERIFY(reportText.trimmed().endsWith(QStringLiteral("Кінець")));
        QVERIFY(
            w.Area().QuestionText()->toPlainText().contains(QStringLiteral("Вами выполнено заданий: 1.")));
        QVERIFY(f.ResultLog().contains("Outputs"));
        QVERIFY(w.Test());
        QVERIFY(w.Action(QStringLiteral("ABeginTest"))->isEnabled());
    }

    // Folders the program cannot use: a program folder or a temporary folder whose name a file
    // holds (so that nobody, the administrator included, can write there) and a per-user store
    // that cannot be saved. The program starts all the same, says what it cannot do, runs the
    // session and shows the pupil's result; what it could write is all there.
    void FoldersThatCannotBeUsed_data() {
        QTest::addColumn<QString>("blocked");
        QTest::newRow("program folder") << QStringLiteral("program");
        QTest::newRow("temporary folder") << QStringLiteral("temp");
        QTest::newRow("per-user store") << QStringLiteral("store");
    }
    void FoldersThatCannotBeUsed() {
        QFETCH(QString, blocked);
        MainFormFixture f;
        const QString path = f.dir.filePath(blocked);
        QDir(path).removeRecursively();
        {
            QFile holder(path);
            QVERIFY(holder.open(QIODevice::WriteOnly));
            holder.write("a file, not a folder");
        }
        if (blocked == QLatin1String("store"))
            f.store = std::make_unique<QSettings>(path + QStringLiteral("/store.ini"), QSettings::IniFormat);
        const QString logWriteFailed = QStringLiteral("Помилка запису у файл результатів.");
        const auto told = [&](const QString& text) {
            return std::count_if(f.prompts.messages.cbegin(), f.prompts.messages.cend(),
                                 [&](const auto& m) { return m.text == text; });
        };

        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(told(logWriteFailed), blocked == QLatin1String("program") ? 1 : 0);

        // A test with an attached file needs the temporary folder; without it the load is refused
        // with its message, and the window waits for another test.
        TTest pictured({}, {}, Created);
        TTask withPicture = Choice("pictured");
        withPicture.Picture = "pic.png";
        w.LoadTestFile(f.SaveTest(QStringLiteral("p.qzf"), pictured, {withPicture}, {{"pic.png", "png"}}));
        if (blocked == QLatin1String("temp")) {
            QCOMPARE(w.State(), SessionState::NoTest);
            QCOMPARE(told(QStringLiteral("Помилка завантаження тесту!")), 1);
        } else {
            QCOMPARE(w.State(), SessionState::TestLoaded);
            w.Action(QStringLiteral("ACloseTest"))->trigger();
        }

        TTest plain({}, {}, Created);
        plain.Title = "Plain";
        w.LoadTestFile(f.SaveTest(QStringLiteral("t.qzf"), plain, {Choice("only")}));
        f.AnswerNameDialog("Olena", "9-B");
        QCOMPARE(w.State(), SessionState::TestLoaded);
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        ChooseRow(w, 0);
        ModalWatcher watcher;
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QVERIFY2(watcher.titles.contains(QStringLiteral("Результати тесування (Olena 9-B)")),
                 qPrintable(watcher.titles.join(u'|')));
        if (blocked == QLatin1String("program")) {
            QVERIFY(told(logWriteFailed) >= 2);
        } else {
            QCOMPARE(told(logWriteFailed), 0);
            QVERIFY(f.ResultLog().contains("Plain"));
            QVERIFY(f.ResultLog().contains("Olena"));
        }
        QVERIFY(f.Close());
    }

    // A test in the exclusive mode: the window covers the screen for the session, the session's
    // dialogs open above it, and afterwards the window is exactly where and as it was.
    void ExclusiveModeAroundSession() {
        MainFormFixture f;
        TTest test({}, {}, Created);
        test.MonoMode = true;
        std::vector<TTask> tasks{Choice("only")};
        tasks[0].Hint = "think";
        TStudentMainForm& w = OpenOn(f, test, tasks);
        w.Settings().IsShowUserResult = false;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.Test());
        w.setGeometry(40, 50, 700, 500);
        const QRect before = w.geometry();
        const Qt::WindowFlags flags = w.windowFlags();

        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QVERIFY(w.SessionWindow().Mono().IsActive());
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.geometry(), w.screen()->geometry());

        bool hintAbove = false;
        {
            ModalWatcher watcher([&](QWidget& modal) {
                hintAbove = modal.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
            });
            w.SessionEngine().ShowPromptTask();
            QCOMPARE(watcher.titles.size(), 1);
        }
        QVERIFY(hintAbove);

        ChooseRow(w, 0);
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QVERIFY(!w.SessionWindow().Mono().IsActive());
        QCOMPARE(w.windowFlags(), flags);
        QCOMPARE(w.geometry(), before);
    }
};

QTEST_MAIN(TestSessionEnd)
#include "tst_sessionend.moc"
