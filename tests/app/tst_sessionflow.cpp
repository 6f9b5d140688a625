// The session around the answer area, driven through the window's widgets: the task list, the hint,
// the price on the status bar, the task's picture and a run on the keyboard alone.
#include "MainFormFixture.h"
#include "WidgetTesting.h"
#include "app/MainStatusBar.h"
#include "app/SessionWindowView.h"
#include "model/TextCodec.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"
#include "ui/gui/TextViewForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

TTask Choice(const QByteArray& question, int variants, int right, int kind = SingleChoice) {
    TTask task(kind);
    task.Question = question;
    for (int v = 0; v < variants; ++v)
        task.Variants[size_t(v)] = question + " v" + QByteArray::number(v + 1);
    task.Keys[size_t(right)] = 1;
    return task;
}

QByteArray PngData() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return Encoded(image, "PNG");
}

// Writes the test, opens it and starts a session as a pupil called Ivan; the results window and the
// report stay shut, they are looked at elsewhere.
TStudentMainForm* StartSession(MainFormFixture& f, const std::vector<TTask>& tasks,
                               const std::vector<Attachment>& files = {},
                               const std::function<void(TTest&)>& setUp = {}) {
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = "Flow";
    if (setUp)
        setUp(test);
    TStudentMainForm& w = f.Open({f.SaveTest(QStringLiteral("flow.qzf"), test, tasks, files)});
    w.show();
    if (!QTest::qWaitFor([&] { return w.Test() != nullptr; }))
        return nullptr;
    f.AnswerNameDialog();
    w.Settings().IsShowUserResult = false;
    w.Settings().IsShowDetailReportModeEducation = false;
    w.Settings().IsShowDetailReportModeNormal = false;
    w.Action(QStringLiteral("ABeginTest"))->trigger();
    return w.State() == SessionState::Testing ? &w : nullptr;
}

QByteArray OnScreen(TStudentMainForm& w) {
    const TTask* task = w.SessionEngine().CurrentTask();
    return task ? task->Question : QByteArray();
}

// Chooses the variant whose text ends in " v<n>" (1-based), wherever the rows put it.
void ChooseVariant(TStudentMainForm& w, int n) {
    const QString suffix = QStringLiteral(" v%1").arg(n);
    for (int r = 0; r < TSessionArea::GridRows; ++r) {
        auto* re = static_cast<RichTextControl*>(w.Area().AnswerWidget(TSessionArea::SlotRE1 + r));
        if (re->toPlainText().endsWith(suffix)) {
            static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio + r))->click();
            return;
        }
    }
    QFAIL("no such variant on screen");
}

// Picks an item of the task list the way a pupil does: opens it and clicks the row.
void PickFromList(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect row = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_VERIFY(!view->isVisible());
}

QList<int> ListImages(QComboBox* list) {
    QList<QImage> images;
    for (int image = 0; image < 3; ++image)
        images.append(SessionWindowView::TaskListIcon(image).pixmap(16, 16).toImage());
    QList<int> shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(int(images.indexOf(list->itemIcon(i).pixmap(16, 16).toImage())));
    return shown;
}

// Closes every text viewer that opens while it lives and remembers caption and text.
class ViewerCloser {
public:
    ViewerCloser() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* viewer = qobject_cast<TTextViewForm*>(QApplication::activeModalWidget());
            if (!viewer)
                return;
            captions.append(viewer->windowTitle());
            texts.append(viewer->Viewer()->toPlainText());
            viewer->close();
        });
        m_timer.start(10);
    }
    QStringList captions;
    QStringList texts;

private:
    QTimer m_timer;
};

} // namespace

class TestSessionFlow : public QObject {
    Q_OBJECT
private slots:
    // Skipping and the task list: the list's pictures follow each position, a choice goes to that
    // task, answered tasks cannot be chosen again, and the last answer ends the session.
    void skippingRoundTheTaskList() {
        MainFormFixture f;
        TStudentMainForm* w = StartSession(f, {Choice("Q1", 2, 0), Choice("Q2", 2, 0), Choice("Q3", 2, 0)},
                                           {}, [](TTest& t) { t.AllowSkipping = true; });
        QVERIFY(w);
        auto* list = w->findChild<QComboBox*>(QStringLiteral("ComboBoxEx1"));
        QWidget* panel = w->findChild<QWidget*>(QStringLiteral("PanelGoToTask"));
        QVERIFY(panel->isVisible() && panel->isEnabled());
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->itemText(0), QStringLiteral("1) Q1"));
        QCOMPARE(list->itemText(2), QStringLiteral("3) Q3"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(ListImages(list), QList<int>({1, 0, 0}));

        w->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QCOMPARE(ListImages(list), QList<int>({1, 1, 0}));

        PickFromList(list, 2);
        QCOMPARE(OnScreen(*w), QByteArray("Q3"));
        QCOMPARE(list->currentIndex(), -1);
        QVERIFY(list->currentText().isEmpty());
        QCOMPARE(ListImages(list), QList<int>({1, 1, 1}));

        // Answering goes on at the first open position after this one, round to the start.
        ChooseVariant(*w, 1);
        w->Area().GoCheckButton()->click();
        QCOMPARE(OnScreen(*w), QByteArray("Q1"));
        QCOMPARE(ListImages(list), QList<int>({1, 1, 2}));
        QVERIFY(panel->isVisible() && panel->isEnabled());

        // An answered task is not offered again; the choice leaves nothing selected either way.
        PickFromList(list, 2);
        QCOMPARE(OnScreen(*w), QByteArray("Q1"));
        QCOMPARE(list->currentIndex(), -1);
        // Choosing the task on screen does not present it anew.
        const qint32 asked = w->SessionEngine().Result()->AskedCount;
        PickFromList(list, 0);
        QCOMPARE(w->SessionEngine().Result()->AskedCount, asked);

        ChooseVariant(*w, 1);
        w->Area().GoCheckButton()->click();
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QCOMPARE(ListImages(list), QList<int>({2, 1, 2}));
        ChooseVariant(*w, 2);
        w->Area().GoCheckButton()->click();
        QCOMPARE(w->State(), SessionState::TestLoaded);
        QVERIFY(!panel->isVisible() && !panel->isEnabled());
        QVERIFY(!w->Action(QStringLiteral("aSkippingTask"))->isVisible());
    }

    // A session without skipping keeps the task list out of sight; "Я не знаю..." stays offered
    // from task to task.
    void dontKnowWithoutSkipping() {
        MainFormFixture f;
        TStudentMainForm* w = StartSession(f, {Choice("Q1", 2, 0), Choice("Q2", 2, 0), Choice("Q3", 2, 0)},
                                           {}, [](TTest& t) { t.PenaliseWrong = true; });
        QVERIFY(w);
        QWidget* panel = w->findChild<QWidget*>(QStringLiteral("PanelGoToTask"));
        QVERIFY(!panel->isVisible() && !panel->isEnabled());
        QCOMPARE(w->findChild<QComboBox*>(QStringLiteral("ComboBoxEx1"))->count(), 0);
        auto* dontKnow = w->findChild<QPushButton*>(QStringLiteral("BitBtn4"));
        for (const char* next : {"Q2", "Q3"}) {
            QVERIFY(dontKnow->isVisible() && dontKnow->isEnabled());
            dontKnow->click();
            QCOMPARE(OnScreen(*w), QByteArray(next));
        }
        QVERIFY(!w->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->isVisible());
    }

    // The three pictures of the list are told apart at a glance.
    void taskListPicturesDiffer() {
        const QImage notShown = SessionWindowView::TaskListIcon(0).pixmap(16, 16).toImage();
        const QImage shown = SessionWindowView::TaskListIcon(1).pixmap(16, 16).toImage();
        const QImage answered = SessionWindowView::TaskListIcon(2).pixmap(16, 16).toImage();
        QVERIFY(!notShown.isNull());
        QVERIFY(notShown != shown && shown != answered && notShown != answered);
    }

    // Digit keys and Enter alone take the pupil through single and multiple choice; the digits of a
    // number task reach its field.
    void keyboardOnlyRun_data() {
        QTest::addColumn<QList<int>>("singleKeys");
        QTest::addColumn<QList<int>>("multipleKeys");
        QTest::addColumn<QByteArray>("singleAnswer");
        QTest::addColumn<QByteArray>("multipleAnswer");
        QTest::addColumn<int>("singlePoints");
        QTest::addColumn<int>("multiplePoints");
        QTest::newRow("right") << QList<int>{Qt::Key_1, Qt::Key_3}
                               << QList<int>{Qt::Key_1, Qt::Key_2, Qt::Key_2, Qt::Key_4} << QByteArray("3")
                               << QByteArray("1;4;") << 2 << 3;
        QTest::newRow("wrong") << QList<int>{Qt::Key_2} << QList<int>{Qt::Key_1, Qt::Key_2} << QByteArray("2")
                               << QByteArray("1;2;") << 0 << 0;
    }
    void keyboardOnlyRun() {
        QFETCH(QList<int>, singleKeys);
        QFETCH(QList<int>, multipleKeys);
        QFETCH(QByteArray, singleAnswer);
        QFETCH(QByteArray, multipleAnswer);
        QFETCH(int, singlePoints);
        QFETCH(int, multiplePoints);
        MainFormFixture f;
        TTask single = Choice("Single", 4, 2);
        single.Weight = 2;
        TTask multiple = Choice("Multiple", 4, 0, MultipleChoice);
        multiple.Keys[3] = 1;
        multiple.Weight = 3;
        TTask number(InputNum);
        number.Question = "6 * 7?";
        number.NumValue = 42;
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        TStudentMainForm& w =
            f.Open({f.SaveTest(QStringLiteral("keys.qzf"), test, {single, multiple, number})});
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.Test());
        f.nameDialog = [](NameDialogData&) { return true; };
        w.Settings().IsShowUserResult = false;
        auto press = [&](int key) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
            QTest::keyClick(target, Qt::Key(key));
        };

        press(Qt::Key_F5);
        QCOMPARE(w.State(), SessionState::Testing);
        QCOMPARE(OnScreen(w), QByteArray("Single"));
        // Enter before any answer checks nothing.
        press(Qt::Key_Return);
        QCOMPARE(OnScreen(w), QByteArray("Single"));
        for (int key : singleKeys)
            press(key);
        press(Qt::Key_Return);
        QCOMPARE(OnScreen(w), QByteArray("Multiple"));
        for (int key : multipleKeys)
            press(key);
        press(Qt::Key_Enter);
        QCOMPARE(OnScreen(w), QByteArray("6 * 7?"));
        const TResultTest* result = w.SessionEngine().Result();
        QCOMPARE(result->GetTaskAnswer(0), singleAnswer);
        QCOMPARE(result->GetTaskPoints(0), singlePoints);
        QCOMPARE(result->GetTaskAnswer(1), multipleAnswer);
        QCOMPARE(result->GetTaskPoints(1), multiplePoints);

        press(Qt::Key_4);
        press(Qt::Key_2);
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("EditInputNum"))->text(), QStringLiteral("42"));
        press(Qt::Key_Return);
        QCOMPARE(w.State(), SessionState::TestLoaded);
    }

    // After a check the focus lands on the next task's first answer widget, so an Enter that comes
    // too soon checks nothing and never gives the task up; "Я не знаю..." does not answer Enter
    // even with the focus on it.
    void focusAfterACheck_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("focus");
        QTest::newRow("single choice") << int(SingleChoice) << QStringLiteral("VariantRadioButton0");
        QTest::newRow("multiple choice") << int(MultipleChoice) << QStringLiteral("VariantCheckBox0");
        QTest::newRow("ordering") << int(Ordering) << QStringLiteral("VariantComboBox0");
        QTest::newRow("true or false") << int(TrueFalse) << QStringLiteral("VariantComboBox0");
        QTest::newRow("number") << int(InputNum) << QStringLiteral("EditInputNum");
        QTest::newRow("text") << int(InputText) << QStringLiteral("EditInputText");
        QTest::newRow("point") << int(PointOnPicture) << QStringLiteral("ScrollBox");
    }
    void focusAfterACheck() {
        QFETCH(int, kind);
        QFETCH(QString, focus);
        MainFormFixture f;
        TTask next = kind <= TrueFalse ? Choice("Q2", 3, 0, kind) : TTask(kind);
        next.Question = "Q2";
        TStudentMainForm* w =
            StartSession(f, {Choice("Q1", 2, 0), next}, {}, [](TTest& t) { t.PenaliseWrong = true; });
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        auto* dontKnow = w->findChild<QPushButton*>(QStringLiteral("BitBtn4"));
        QVERIFY(dontKnow->isVisible() && dontKnow->isEnabled());
        dontKnow->setFocus();
        QTest::keyClick(dontKnow, Qt::Key_Return);
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QCOMPARE(w->SessionEngine().Result()->DontKnowCount, 0);
    }

    // Long texts wrap: nothing of a task makes the window wider than the screen, so the buttons and
    // the right-hand column stay in view.
    void longTextsKeepTheWindowOnScreen_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("single choice") << int(SingleChoice);
        QTest::newRow("matching") << int(Matching);
        QTest::newRow("text") << int(InputText);
    }
    void longTextsKeepTheWindowOnScreen() {
        QFETCH(int, kind);
        MainFormFixture f;
        QByteArray words;
        while (words.size() < 490)
            words += "wording" + QByteArray::number(words.size()) + " ";
        TTask task = kind == InputText ? TTask(InputText) : Choice(words, 3, 0, kind);
        task.Question = words;
        task.Hint = "hint";
        task.HintPenalty = 2;
        for (int m = 0; m < 3; ++m)
            task.Matches[size_t(m)] = words;
        TStudentMainForm* w = StartSession(f, {task, Choice(words + "2", 3, 0)}, {}, [](TTest& t) {
            t.AllowSkipping = true;
            t.PenaliseWrong = true;
        });
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QApplication::processEvents();
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY2(w->minimumSizeHint().width() <= screen.width(),
                 qPrintable(QString::number(w->minimumSizeHint().width())));
        QVERIFY2(w->frameGeometry().width() <= screen.width(),
                 qPrintable(QString::number(w->frameGeometry().width())));
        for (const char* name : {"BitBtnGoCheck", "BitBtn4", "BitBtn5"}) {
            auto* button = w->findChild<QPushButton*>(QLatin1String(name));
            QVERIFY(button->isVisible());
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            QVERIFY2(screen.contains(onScreen), name);
        }
        if (kind == Matching) {
            auto* right = w->Area().AnswerWidget(TSessionArea::SlotRE2 + 0);
            QVERIFY(right->isVisible() && right->width() > 50);
        }
    }

    // Enter checks the answer wherever the focus rests in the answer area.
    void enterFromTheAnswerArea_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("focus");
        QTest::newRow("radio button") << int(SingleChoice) << QStringLiteral("VariantRadioButton0");
        QTest::newRow("check box") << int(MultipleChoice) << QStringLiteral("VariantCheckBox1");
        QTest::newRow("variant text") << int(SingleChoice) << QStringLiteral("VariantRE_1_1");
        QTest::newRow("wording") << int(MultipleChoice) << QStringLiteral("QuestionText");
        QTest::newRow("task list") << int(SingleChoice) << QStringLiteral("ComboBoxEx1");
        QTest::newRow("number field") << int(InputNum) << QStringLiteral("EditInputNum");
    }
    void enterFromTheAnswerArea() {
        QFETCH(int, kind);
        QFETCH(QString, focus);
        MainFormFixture f;
        TTask task = kind == InputNum ? TTask(InputNum) : Choice("Q1", 2, 0, kind);
        task.Question = "Q1";
        TStudentMainForm* w =
            StartSession(f, {task, Choice("Q2", 2, 0)}, {}, [](TTest& t) { t.AllowSkipping = true; });
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        if (kind == InputNum)
            QTest::keyClicks(w->findChild<QLineEdit*>(QStringLiteral("EditInputNum")), "7");
        else if (kind == SingleChoice)
            ChooseVariant(*w, 1);
        else
            static_cast<QCheckBox*>(w->Area().AnswerWidget(TSessionArea::SlotCheck))->click();
        QVERIFY(w->Area().GoCheckButton()->isEnabled());
        auto* target = w->findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QVERIFY(!w->SessionEngine().Result()->GetTaskAnswer(0).isEmpty());
    }

    // The hint button reads the task's price of the hint; the price is asked for once per task.
    void hint_data() {
        QTest::addColumn<QByteArray>("hint");
        QTest::addColumn<int>("penalty");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("question");
        QTest::newRow("no hint") << QByteArray() << 3 << QString() << QString();
        QTest::newRow("free") << QByteArray("Think of pairs") << 0 << QStringLiteral("Показати підказку?")
                              << QString();
        QTest::newRow("two points") << QByteArray("Think of pairs") << 2
                                    << QStringLiteral("Показати підказку? Штраф 2 балла.")
                                    << QStringLiteral("Показать подсказку?\r\nШтраф 2 балла.");
        QTest::newRow("eleven points")
            << QByteArray("Think of pairs") << 11 << QStringLiteral("Показати підказку? Штраф 11 баллов.")
            << QStringLiteral("Показать подсказку?\r\nШтраф 11 баллов.");
    }
    void hint() {
        QFETCH(QByteArray, hint);
        QFETCH(int, penalty);
        QFETCH(QString, caption);
        QFETCH(QString, question);
        MainFormFixture f;
        TTask task = Choice("Q1", 2, 0);
        task.Hint = hint;
        task.HintPenalty = penalty;
        TStudentMainForm* w = StartSession(f, {task, Choice("Q2", 2, 0)});
        QVERIFY(w);
        QAction* action = w->Action(QStringLiteral("aShowPromptTask"));
        QWidget* panel = w->findChild<QWidget*>(QStringLiteral("PanelPromptTask"));
        auto* button = w->findChild<QPushButton*>(QStringLiteral("BitBtn2"));
        if (hint.isEmpty()) {
            QVERIFY(!panel->isVisible() && !action->isEnabled());
            return;
        }
        QVERIFY(panel->isVisible() && panel->isEnabled() && action->isEnabled() && button->isEnabled());
        QCOMPARE(button->text(), caption);
        // The whole caption is readable on the button.
        QTRY_VERIFY(button->width() >= button->sizeHint().width());
        QVERIFY(button->fontMetrics().horizontalAdvance(caption) < button->contentsRect().width());

        ViewerCloser viewers;
        f.prompts.yesNo.append(false);
        f.prompts.yesNo.append(true);
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::qWait(0);
        }
        const qint32 charged = w->SessionEngine().Result()->GetTaskHintPenalty(0);
        if (question.isEmpty()) {
            QVERIFY(f.prompts.questions.isEmpty());
            QCOMPARE(viewers.texts.size(), 3);
        } else {
            // Refused the first time, accepted the second, free the third.
            QCOMPARE(f.prompts.questions.size(), 2);
            QCOMPARE(f.prompts.questions[1].caption, QStringLiteral("Quizar"));
            QCOMPARE(f.prompts.questions[1].text, question);
            QCOMPARE(viewers.texts.size(), 2);
        }
        QCOMPARE(charged, penalty);
        QCOMPARE(viewers.captions.value(0), QStringLiteral("Подсказка к заданию..."));
        QCOMPARE(viewers.texts.value(0), QStringLiteral("Think of pairs"));

        // The next task has no hint; the end of the session leaves none either.
        ChooseVariant(*w, 1);
        w->Area().GoCheckButton()->click();
        QVERIFY(!panel->isVisible() && !action->isEnabled());
        ChooseVariant(*w, 1);
        w->Area().GoCheckButton()->click();
        QCOMPARE(w->State(), SessionState::TestLoaded);
        QVERIFY(!panel->isVisible() && !panel->isEnabled() && !action->isEnabled());
    }

    // At each presentation the status bar shows the place of the task, its price and the pupil;
    // outside a session these panels are empty.
    void statusPanelsOfATask() {
        MainFormFixture f;
        std::vector<TTask> tasks;
        for (int weight : {1, 2, 5, 21}) {
            tasks.push_back(Choice("Q", 2, 0));
            tasks.back().Weight = weight;
        }
        TStudentMainForm* w = StartSession(f, tasks);
        QVERIFY(w);
        TMainStatusBar& bar = *w->StatusPanels();
        const QStringList prices = {QStringLiteral("Ціна 1 балл"), QStringLiteral("Ціна 2 балла"),
                                    QStringLiteral("Ціна 5 баллов"), QStringLiteral("Ціна 21 балл")};
        for (int i = 0; i < 4; ++i) {
            w->ActionList1Update();
            QCOMPARE(bar.PanelText(1), QStringLiteral("%1/4").arg(i + 1));
            QCOMPARE(bar.PanelText(10), prices[i]);
            QVERIFY(bar.Panel(10)->fontMetrics().horizontalAdvance(prices[i]) <=
                    bar.Panel(10)->contentsRect().width());
            QCOMPARE(bar.PanelText(11), QStringLiteral("Ivan Petrenko 7-A"));
            ChooseVariant(*w, 1);
            w->Area().GoCheckButton()->click();
        }
        QCOMPARE(w->State(), SessionState::TestLoaded);
        for (int panel : {1, 10, 11})
            QCOMPARE(bar.PanelText(panel), QString());
    }

    // The task's picture: shown beside the wording, reported when it is missing or damaged, never
    // for a point-on-picture task (its picture is the answer); the session goes on in every case.
    void questionPicture_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("message"); // %1 is the test's folder of attached files
        QTest::newRow("present") << int(SingleChoice) << QByteArray("pic.png") << true << QString();
        QTest::newRow("none") << int(SingleChoice) << QByteArray() << false << QString();
        QTest::newRow("missing") << int(InputText) << QByteArray("gone.png") << false
                                 << QStringLiteral("Файл: %1gone.png с изображением отсутствует!");
        QTest::newRow("damaged") << int(SingleChoice) << QByteArray("bad.png") << false
                                 << QStringLiteral("Ошибка загрузки изображения!");
        QTest::newRow("point on picture")
            << int(PointOnPicture) << QByteArray("pic.png") << false << QString();
    }
    void questionPicture() {
        QFETCH(int, kind);
        QFETCH(QByteArray, picture);
        QFETCH(bool, shown);
        QFETCH(QString, message);
        MainFormFixture f;
        TTask task = kind == InputText ? TTask(InputText) : Choice("Q1", 2, 0, kind);
        task.Question = "Q1";
        task.Picture = picture;
        const std::vector<Attachment> files = {{"pic.png", PngData()}, {"bad.png", "not a picture"}};
        TStudentMainForm* w = StartSession(f, {task, Choice("Q2", 2, 0)}, files);
        QVERIFY(w);
        QCOMPARE(OnScreen(*w), QByteArray("Q1"));
        auto* image = w->findChild<QLabel*>(QStringLiteral("QuestionImage"));
        QCOMPARE(image->isVisible(), shown);
        QCOMPARE(!image->pixmap().isNull(), shown);
        if (message.isEmpty()) {
            QVERIFY(f.prompts.messages.isEmpty());
        } else {
            QCOMPARE(f.prompts.messages.size(), 1);
            QCOMPARE(f.prompts.messages[0].text,
                     message.contains(u'%') ? message.arg(w->Test()->TempFolder) : message);
            QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("QuizarStudent"));
        }
        // The task can be answered as usual.
        if (kind == InputText)
            QTest::keyClicks(w->findChild<QLineEdit*>(QStringLiteral("EditInputText")), "x");
        else if (kind == SingleChoice)
            ChooseVariant(*w, 1);
        else
            w->Action(QStringLiteral("ACheckAskTask"))->setEnabled(true);
        w->Area().GoCheckButton()->click();
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QVERIFY(!image->isVisible());
    }

    // A click on the picture enlarges it; the enlarged window and the picture go as soon as the
    // task is checked, before the message of a wrong answer shows, and at the next presentation.
    void enlargedPictureCloses() {
        MainFormFixture f;
        std::vector<TTask> tasks = {Choice("Q1", 2, 0), Choice("Q2", 2, 0), Choice("Q3", 2, 0)};
        for (TTask& t : tasks)
            t.Picture = "pic.png";
        TStudentMainForm* w = StartSession(f, tasks, {{"pic.png", PngData()}}, [](TTest& t) {
            t.EducationMode = true;
            t.AllowSkipping = true;
        });
        QVERIFY(w);
        auto* image = w->findChild<QLabel*>(QStringLiteral("QuestionImage"));
        QWidget* enlarged = w->QuestionImageForm();
        QTRY_VERIFY(image->height() > 0);
        QTest::mouseClick(image, Qt::LeftButton);
        QVERIFY(enlarged->isVisible());
        QCOMPARE(enlarged->findChild<QLabel*>()->pixmap().size(), QSize(40, 30));

        // Skipping presents another task: the enlarged window of the old one closes.
        w->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
        QCOMPARE(OnScreen(*w), QByteArray("Q2"));
        QVERIFY(!enlarged->isVisible());
        QVERIFY(image->isVisible());

        QTest::mouseClick(image, Qt::LeftButton);
        QVERIFY(enlarged->isVisible());
        bool pictureDuringMessage = true;
        f.prompts.duringPrompt = [&] { pictureDuringMessage = image->isVisible() || enlarged->isVisible(); };
        ChooseVariant(*w, 2);
        w->Area().GoCheckButton()->click();
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.startsWith(QStringLiteral("Неправильно...")));
        QVERIFY(!pictureDuringMessage);
        QCOMPARE(OnScreen(*w), QByteArray("Q3"));
        QVERIFY(image->isVisible() && !enlarged->isVisible());
    }

    // The window's shortcuts act wherever the focus is, and none of them touches a typed answer:
    // line edits have key bindings of their own for some of the same keys (Ctrl+U deletes the line
    // under X11's bindings).
    void shortcutsKeepTypedAnswers_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("zoom");
        for (const auto& [kind, name] :
             {std::pair{int(InputText), "text"}, std::pair{int(InputNum), "number"}}) {
            QTest::addRow("%s Ctrl+U", name) << kind << int(Qt::Key_U) << int(Qt::ControlModifier) << 110;
            QTest::addRow("%s Ctrl+D", name) << kind << int(Qt::Key_D) << int(Qt::ControlModifier) << 90;
            QTest::addRow("%s Ctrl+O", name) << kind << int(Qt::Key_O) << int(Qt::ControlModifier) << 100;
            QTest::addRow("%s F1", name) << kind << int(Qt::Key_F1) << int(Qt::NoModifier) << 100;
            QTest::addRow("%s F5", name) << kind << int(Qt::Key_F5) << int(Qt::NoModifier) << 100;
            QTest::addRow("%s F10", name) << kind << int(Qt::Key_F10) << int(Qt::NoModifier) << 100;
            QTest::addRow("%s Alt+=", name) << kind << int(Qt::Key_Equal) << int(Qt::AltModifier) << 100;
        }
    }
    void shortcutsKeepTypedAnswers() {
        QFETCH(int, kind);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, zoom);
        MainFormFixture f;
        f.installed = {QStringLiteral("galculator")};
        TTask task(kind);
        task.Question = "Q";
        task.TextAnswers = "12";
        TStudentMainForm* w = StartSession(f, {task});
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* edit = w->findChild<QLineEdit*>(kind == InputText ? "EditInputText" : "EditInputNum");
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, "12");
        ViewerCloser viewers;
        QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QCOMPARE(w->Zoom(), zoom);
        if (key == Qt::Key_F1)
            QCOMPARE(f.opened.size(), 1);
        if (key == Qt::Key_Equal)
            QCOMPARE(f.started, QStringList{QStringLiteral("/usr/bin/galculator")});
        QCOMPARE(w->State(), SessionState::Testing);
        QVERIFY(viewers.texts.isEmpty());
    }

    // F10 and a double click show a task text enlarged while a session runs.
    void textsInTheViewer() {
        MainFormFixture f;
        TStudentMainForm* w = StartSession(f, {Choice("Q1", 2, 0)});
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        ViewerCloser viewers;
        // F10 shows the text that has the focus, a double click the text clicked.
        auto* variant = static_cast<RichTextControl*>(w->Area().AnswerWidget(TSessionArea::SlotRE1 + 1));
        variant->setFocus();
        QTest::keyClick(variant, Qt::Key_F10);
        QTRY_COMPARE(viewers.texts, QStringList({QStringLiteral("Q1 v2")}));
        QTest::mouseDClick(w->Area().QuestionText()->viewport(), Qt::LeftButton);
        QTRY_COMPARE(viewers.texts.size(), 2);
        QCOMPARE(viewers.texts[1], QStringLiteral("Q1"));
        // With the focus on a button F10 shows nothing, not even the wording.
        w->Area().GoCheckButton()->setEnabled(true);
        w->Area().GoCheckButton()->setFocus();
        QTest::keyClick(w->Area().GoCheckButton(), Qt::Key_F10);
        QTest::qWait(100);
        QCOMPARE(viewers.texts.size(), 2);
    }
};

QTEST_MAIN(TestSessionFlow)
#include "tst_sessionflow.moc"
