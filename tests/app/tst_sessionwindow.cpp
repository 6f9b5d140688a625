// A whole session taken through the window's own widgets.
#include "MainFormFixture.h"
#include "app/MainStatusBar.h"
#include "app/SessionWindowView.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Four kinds and a last task that only keeps the session open while the others are looked at.
QString WriteKindsTest(MainFormFixture& f) {
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = "Kinds";
    test.EducationMode = true;
    std::vector<TTask> tasks;
    TTask single(SingleChoice);
    single.Question = "2 + 2?";
    single.Variants[0] = "3";
    single.Variants[1] = "4";
    single.Keys[1] = 1;
    tasks.push_back(single);
    TTask multiple(MultipleChoice);
    multiple.Question = "Primes?";
    multiple.Variants[0] = "2";
    multiple.Variants[1] = "3";
    multiple.Variants[2] = "4";
    multiple.Keys[0] = 1;
    multiple.Keys[1] = 1;
    tasks.push_back(multiple);
    TTask number(InputNum);
    number.Question = "6 * 7?";
    number.NumValue = 42;
    tasks.push_back(number);
    TTask text(InputText);
    text.Question = "Capital?";
    text.TextAnswers = "Kyiv";
    tasks.push_back(text);
    TTask last(SingleChoice);
    last.Question = "Last";
    last.Variants[0] = "a";
    last.Variants[1] = "b";
    last.Keys[0] = 1;
    tasks.push_back(last);
    return f.SaveTest(QStringLiteral("kinds.qzf"), test, tasks);
}

QString RowText(TStudentMainForm& w, int row) {
    auto* re = static_cast<RichTextControl*>(w.Area().AnswerWidget(TSessionArea::SlotRE1 + row));
    return QString::fromLatin1(GetRichPlainText(*re, true));
}

// Answers the task on screen through its widgets, rightly or not.
void Answer(TStudentMainForm& w, int kind, bool right) {
    if (kind == SingleChoice) {
        const QString want = right ? QStringLiteral("4") : QStringLiteral("3");
        for (int r = 0; r < 2; ++r) {
            if (RowText(w, r) == want)
                static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio + r))->click();
        }
    } else if (kind == MultipleChoice) {
        for (int r = 0; r < 3; ++r) {
            const QString t = RowText(w, r);
            if (t == "2" || (right && t == "3") || (!right && t == "4"))
                static_cast<QCheckBox*>(w.Area().AnswerWidget(TSessionArea::SlotCheck + r))->click();
        }
    } else {
        const QString name =
            kind == InputNum ? QStringLiteral("EditInputNum") : QStringLiteral("EditInputText");
        auto* edit = w.findChild<QLineEdit*>(name);
        QVERIFY(edit);
        QTest::keyClicks(edit, kind == InputNum ? (right ? "42" : "41") : (right ? "Kyiv" : "Lviv"));
    }
}

} // namespace

class TestSessionWindow : public QObject {
    Q_OBJECT
private slots:
    void WholeTestRightAndWrong_data() {
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << true;
        QTest::newRow("wrong") << false;
    }
    void WholeTestRightAndWrong() {
        QFETCH(bool, right);
        MainFormFixture f;
        TStudentMainForm& w = f.Open({WriteKindsTest(f)});
        w.show();
        QTRY_VERIFY(w.Test());
        f.AnswerNameDialog();
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        const LoadedTest* loaded = w.Loaded();
        QVERIFY(loaded);
        // Expected answer text and points per task number.
        const QList<QByteArray> rightTexts = {"2", "1;2;", "42", "Kyiv"};
        const QList<QByteArray> wrongTexts = {"1", "1;3;", "41", "Lviv"};
        for (int step = 0; step < 4; ++step) {
            const TTask* task = w.SessionEngine().CurrentTask();
            QVERIFY(task);
            const int n = int(task - loaded->tasks.data());
            QCOMPARE(w.findChild<QLabel*>(QStringLiteral("QuestionLabel"))->text(),
                     QStringLiteral("Питання # %1 із 5:").arg(step + 1));
            QVERIFY(!w.Area().GoCheckButton()->isEnabled());
            Answer(w, task->Kind, right);
            QVERIFY(w.Area().GoCheckButton()->isEnabled());
            w.Area().GoCheckButton()->click();
            QCOMPARE(w.State(), SessionState::Testing);
            const TResultTest* result = w.SessionEngine().Result();
            QVERIFY(result);
            QCOMPARE(result->GetTaskAnswer(n), (right ? rightTexts : wrongTexts).value(n));
            QCOMPARE(result->GetTaskPoints(n), right ? 1 : 0);
            // A wrong answer in education mode is told to the pupil.
            QCOMPARE(f.prompts.messages.isEmpty(), right);
        }
        QCOMPARE(w.SessionEngine().CurrentTask()->Question, QByteArray("Last"));
        // The modal results window and report are looked at elsewhere.
        w.Settings().IsShowUserResult = false;
        w.Settings().IsShowDetailReportModeEducation = false;
        static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio))->click();
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.State(), SessionState::TestLoaded);
    }

    // The test's clock runs out through the window's ticks: the panels count, turn red near the
    // end, and the session finishes with its message.
    void TestClockEndsSession() {
        MainFormFixture f;
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Timed";
        test.TestTimeLimit = 12;
        std::vector<TTask> tasks(2, TTask(InputNum));
        tasks[0].Question = "1?";
        tasks[1].Question = "2?";
        const QString path = f.SaveTest(QStringLiteral("timed.qzf"), test, tasks);
        TStudentMainForm& w = f.Open({path});
        w.show();
        QTRY_VERIFY(w.Test());
        w.Settings().IsShowUserResult = false;
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        TMainStatusBar& bar = *w.StatusPanels();
        for (int i = 0; i < 3; ++i)
            w.SessionWindow().TimerTestTimer();
        QCOMPARE(bar.PanelText(2), QStringLiteral("00:00:03"));
        QCOMPARE(bar.PanelText(4), QStringLiteral("00:00:09"));
        QVERIFY(bar.PanelUrgent(4));
        w.SessionWindow().TimerTaskTimer();
        QCOMPARE(bar.PanelText(3), QStringLiteral("00:00:01"));
        QCOMPARE(bar.PanelText(5), QString());
        for (int i = 0; i < 9; ++i)
            w.SessionWindow().TimerTestTimer();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QVERIFY(!f.prompts.messages.isEmpty());
        QCOMPARE(f.prompts.messages.first().text, QStringLiteral("Час тестування вичерпано!"));
    }
};

QTEST_MAIN(TestSessionWindow)
#include "tst_sessionwindow.moc"
