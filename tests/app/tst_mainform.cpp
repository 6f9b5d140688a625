#include "MainFormFixture.h"
#include "app/InfoWindows.h"
#include "app/LoadProgress.h"
#include "app/MainStatusBar.h"
#include "settings/UserStore.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

QStringList EnabledOf(const TStudentMainForm& w, const QStringList& names) {
    QStringList on;
    for (const QString& n : names) {
        if (w.Action(n)->isEnabled())
            on.append(n);
    }
    return on;
}

const QStringList Ruled = {
    "AOpenTest",       "AGetTest",       "ACloseTest",           "ABeginTest",      "AEndTest",
    "ACheckAskTask",   "AShowTestInfo",  "aShowTestInstruction", "AIsSaveConfig",   "AIsUseWindowSettings",
    "AAdditionConfig", "ASaveConfigNow", "ALoadConfigNow",       "aShowREtoViewer", "AShowHelp",
    "aZoomUp",         "AExit"};

template <typename T> T* Child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c)
        qWarning("missing %s", qPrintable(name));
    return c;
}

} // namespace

// Counts the events of one kind that reach a widget while it lives.
class EventCounter : public QObject {
public:
    EventCounter(QWidget& widget, QEvent::Type type, int& count) : m_type(type), m_count(count) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type)
            ++m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int& m_count;
};

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void startUpAndShutdown() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        QCOMPARE(w.State(), SessionState::NoTest);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quizar Student"));
        QCOMPARE(w.Area().QuestionText()->toPlainText(),
                 QStringLiteral("Для початку роботи оберіть тест!..."));
        QCOMPARE(w.Zoom(), 100);
        QCOMPARE(EnabledOf(w, Ruled),
                 QStringList({"AOpenTest", "AIsSaveConfig", "AIsUseWindowSettings", "AAdditionConfig",
                              "ASaveConfigNow", "ALoadConfigNow", "AShowHelp", "aZoomUp", "AExit"}));
        QVERIFY(!w.PreviousFilesMenu()->menuAction()->isEnabled());
        TMainStatusBar* bar = w.StatusPanels();
        QCOMPARE(bar->PanelText(0), QStringLiteral("Тест не обрано"));
        QCOMPARE(bar->PanelText(2), QStringLiteral("07.03.26"));
        QCOMPARE(bar->PanelText(3), QStringLiteral("09:05"));
        // The clock panels run between sessions.
        f.clock.AddSecs(60);
        w.ActionList1Update();
        QCOMPARE(bar->PanelText(3), QStringLiteral("09:06"));
        QCOMPARE(f.ResultLog(),
                 QByteArray("07.03.2026 09:05:41 \xC7\xE0\xEF\xF3\xF9\xE5\xED\xE0 \xEF\xF0\xEE\xE3\xF0"
                            "\xE0\xEC\xEC\xE0 QuizarStudent.\r\n"));
        QVERIFY(f.Close());
        QVERIFY(f.ResultLog().endsWith("07.03.2026 09:06:41 \xC7\xE0\xEA\xF0\xFB\xF2\xE0 \xEF\xF0\xEE\xE3\xF0"
                                       "\xE0\xEC\xEC\xE0 QuizarStudent.\r\n"));
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void idleSessionArea() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char* name : {"Panel2",
                                 "QuestionLabel",
                                 "PanelQuestion",
                                 "QuestionText",
                                 "QuestionImage",
                                 "Splitter2",
                                 "PanelPromptTask",
                                 "BitBtn2",
                                 "PanelVariantInfo",
                                 "VariantLabel",
                                 "PanelInputNum",
                                 "EditInputNum",
                                 "PanelInputText",
                                 "EditInputText",
                                 "PanelImgRect",
                                 "ScrollBox",
                                 "Image",
                                 "ShapePoint",
                                 "Shape",
                                 "PanelVariant",
                                 "GridPanel",
                                 "Panel3",
                                 "BitBtn5",
                                 "BitBtnGoCheck",
                                 "BitBtn4",
                                 "ProgressBarCountAskTask",
                                 "PanelGoToTask",
                                 "ComboBoxEx1",
                                 "StatusBar",
                                 "JvMainMenu",
                                 "miListPreviousFiles",
                                 "miSizeFont",
                                 "miZoom",
                                 "VariantRE_1_9",
                                 "VariantRE_2_0",
                                 "VariantRadioButton3",
                                 "VariantCheckBox9",
                                 "VariantComboBox0",
                                 "VariantLabel1_5",
                                 "VariantLabel2_7"})
            QVERIFY2(w.findChild<QObject*>(QLatin1String(name)), name);
        QCOMPARE(w.findChild<RichTextControl*>("VariantRE_1_4"),
                 w.Area().AnswerWidget(TSessionArea::SlotRE1 + 4));
        QCOMPARE(w.findChild<QComboBox*>("VariantComboBox7"),
                 w.Area().AnswerWidget(TSessionArea::SlotCombo + 7));

        QCOMPARE(Child<QLabel>(w, "QuestionLabel")->text(), QStringLiteral("Інформація"));
        QCOMPARE(Child<QLabel>(w, "VariantLabel")->text(),
                 QStringLiteral("Оберіть один із 5 варіантів відповіді:"));
        QWidget* panelVariant = Child<QWidget>(w, "PanelVariant");
        QVERIFY(panelVariant->isVisible() && !panelVariant->isEnabled());
        for (const char* hidden : {"PanelInputNum", "PanelInputText", "PanelImgRect", "PanelPromptTask",
                                   "PanelGoToTask", "BitBtn4", "BitBtn5"})
            QVERIFY2(!Child<QWidget>(w, QLatin1String(hidden))->isVisible(), hidden);
        // Five idle rows of radio buttons and texts, nothing of the other columns.
        for (int r = 0; r < 10; ++r) {
            const bool shown = r < 5;
            QCOMPARE(w.Area().AnswerWidget(TSessionArea::SlotRadio + r)->isVisible(), shown);
            QCOMPARE(w.Area().AnswerWidget(TSessionArea::SlotRE1 + r)->isVisible(), shown);
            QVERIFY(!w.Area().AnswerWidget(TSessionArea::SlotRadio + r)->isEnabled());
            QVERIFY(!w.Area().AnswerWidget(TSessionArea::SlotCheck + r)->isVisible());
            QVERIFY(!w.Area().AnswerWidget(TSessionArea::SlotRE2 + r)->isVisible());
        }
        QPushButton* check = Child<QPushButton>(w, "BitBtnGoCheck");
        QCOMPARE(check->text(), QStringLiteral("Наступне (перевірити)"));
        QVERIFY(!check->isEnabled() && check->isDefault());
        QVERIFY(!w.Action("aIDoNotKnow")->isVisible());
        // The font-size submenu stays out of reach.
        QMenu* sizeFont = Child<QMenu>(w, "miSizeFont");
        QVERIFY(!sizeFont->menuAction()->isVisible() && !sizeFont->menuAction()->isEnabled());

        // Every item of the four menus has an access letter of its own; the zoom steps have none.
        for (const char* name : {"miFile", "miTest", "miSettings", "miHelp"}) {
            QSet<QChar> letters;
            for (QAction* item : Child<QMenu>(w, name)->actions()) {
                if (item->isSeparator() || !item->isVisible())
                    continue;
                const qsizetype at = item->text().indexOf(u'&');
                QVERIFY2(at >= 0 && at + 1 < item->text().size(), qPrintable(item->text()));
                const QChar letter = item->text()[at + 1].toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(item->text()));
                letters.insert(letter);
            }
        }
        for (QAction* item : Child<QMenu>(w, "miZoom")->actions())
            QVERIFY2(!item->text().contains(u'&'), qPrintable(item->text()));
    }

    void loadCloseAndCaption() {
        MainFormFixture f;
        // A path from the command line is loaded whatever its extension.
        const QString path = f.WriteTest("algebra.dat", "Read this first");
        TStudentMainForm& w = f.Open({path});
        w.show();
        QTRY_COMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(w.windowTitle(), QStringLiteral("algebra.dat - Quizar Student"));
        QCOMPARE(EnabledOf(w, Ruled),
                 QStringList({"ACloseTest", "ABeginTest", "AShowTestInfo", "aShowTestInstruction",
                              "AIsSaveConfig", "AIsUseWindowSettings", "AAdditionConfig", "ASaveConfigNow",
                              "ALoadConfigNow", "AShowHelp", "aZoomUp", "AExit"}));
        QCOMPARE(w.StatusPanels()->PanelText(0), QStringLiteral("Тест обрано"));
        QCOMPARE(w.StatusPanels()->PanelText(6), QStringLiteral("О"));
        QCOMPARE(w.StatusPanels()->PanelText(7), QString());
        QVERIFY(w.Area().QuestionText()->toPlainText().contains(QStringLiteral("Algebra")));
        QCOMPARE(w.RecentFiles().Items(), QStringList({path}));
        const QString folder = w.Test()->TempFolder;
        QVERIFY(QFileInfo(folder).isDir());

        QSignalSpy changed(&w, &TStudentMainForm::TestChanged);
        w.Action("ACloseTest")->trigger();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(w.State(), SessionState::NoTest);
        QVERIFY(!w.Test());
        QVERIFY(!QFileInfo::exists(folder));
        QTRY_COMPARE(w.windowTitle(), QStringLiteral("Quizar Student"));
        QCOMPARE(w.Area().QuestionText()->toPlainText(),
                 QStringLiteral("Для початку роботи оберіть тест!..."));
        QVERIFY(w.PreviousFilesMenu()->menuAction()->isEnabled());

        // During a session the settings are out of reach and F10 works; the progress is the session's.
        f.WriteTest("b.qzf");
        w.LoadTestFile(f.dir.filePath("b.qzf"));
        w.SetSessionState(SessionState::Testing);
        w.Area().Progress()->setRange(0, 20);
        w.Area().Progress()->setValue(3);
        w.Action("ACheckAskTask")->setEnabled(true);
        w.ActionList1Update();
        QCOMPARE(EnabledOf(w, Ruled), QStringList({"AEndTest", "ACheckAskTask", "AShowTestInfo",
                                                   "aShowREtoViewer", "AShowHelp", "aZoomUp", "AExit"}));
        QCOMPARE(w.Area().Progress()->value(), 3);
        QCOMPARE(w.StatusPanels()->PanelText(0), QStringLiteral("Тест триває"));
        w.SetSessionState(SessionState::TestLoaded);
        QCOMPARE(w.Area().Progress()->value(), 0);
        QVERIFY(!w.Action("ACheckAskTask")->isEnabled());
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void fetchAtStart() {
        MainFormFixture f;
        QFile config(QDir(f.ProgramFolder()).filePath("QuizarStudent_Config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[Net]\r\nIsSendResult=1\r\nIsAutoGetTestFromStart=1\r\n");
        config.close();
        TStudentMainForm& w = f.Open();
        QSignalSpy fetch(w.Action("AGetTest"), &QAction::triggered);
        w.show();
        QTRY_COMPARE(fetch.size(), 1);
        // A test named on the command line wins.
        TStudentMainForm& named = f.Open({f.WriteTest("a.qzf")});
        QSignalSpy none(named.Action("AGetTest"), &QAction::triggered);
        named.show();
        QTRY_COMPARE(named.State(), SessionState::TestLoaded);
        QCOMPARE(none.size(), 0);
    }

    void relativePathBecomesFull() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        const QString full = f.WriteTest("rel.qzf");
        const QString before = QDir::currentPath();
        QDir::setCurrent(f.dir.path());
        w.LoadTestFile(QStringLiteral("rel.qzf"));
        QDir::setCurrent(before);
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(w.RecentFiles().Items(), QStringList({QFileInfo(full).absoluteFilePath()}));
        QCOMPARE(w.windowTitle(), QStringLiteral("rel.qzf - Quizar Student"));
    }

    void failedLoads() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        const QString good = f.WriteTest("good.qzf");
        w.LoadTestFile(good);
        QCOMPARE(w.State(), SessionState::TestLoaded);
        // A missing file changes nothing and says nothing.
        w.LoadTestFile(f.dir.filePath("missing.qzf"));
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QVERIFY(f.prompts.messages.isEmpty());
        // A damaged one leaves no test, a message and the list as it was.
        const QString bad = f.dir.filePath("bad.qzf");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a test at all");
        file.close();
        w.LoadTestFile(bad);
        QCOMPARE(w.State(), SessionState::NoTest);
        QVERIFY(!w.Test());
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("Помилка!"));
        QCOMPARE(w.RecentFiles().Items(), QStringList({good}));
        QCOMPARE(w.Area().QuestionText()->toPlainText(),
                 QStringLiteral("Для початку роботи оберіть тест!..."));
    }

    void recentFilesInTheStore() {
        MainFormFixture f;
        const QString a = f.WriteTest("a.qzf");
        UserStore(*f.store).SetPreviousFiles({"/gone/x.qzf", "/gone/y.qzf", a});
        TStudentMainForm& w = f.Open();
        QList<QAction*> items = w.PreviousFilesMenu()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("/gone/x.qzf"));
        QVERIFY(w.PreviousFilesMenu()->menuAction()->isEnabled());
        // A listed file that is gone does nothing and stays listed.
        items[0]->trigger();
        QCOMPARE(w.State(), SessionState::NoTest);
        QVERIFY(f.prompts.messages.isEmpty());
        QCOMPARE(w.RecentFiles().Items().size(), 3);
        items[2]->trigger();
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(w.PreviousFilesMenu()->actions().first()->text(), a);
        w.ActionList1Update();
        QVERIFY(!w.PreviousFilesMenu()->menuAction()->isEnabled());
        QVERIFY(f.Close());
        QCOMPARE(UserStore(*f.store).PreviousFiles(), QStringList({a, "/gone/x.qzf", "/gone/y.qzf"}));

        // An ampersand in a path is shown, not taken for an access letter.
        MainFormFixture g;
        UserStore(*g.store).SetPreviousFiles({"/t/R&D.qzf"});
        TStudentMainForm& w2 = g.Open();
        QCOMPARE(w2.PreviousFilesMenu()->actions().first()->text(), QStringLiteral("/t/R&&D.qzf"));
        QVERIFY(g.Close());
        QCOMPARE(UserStore(*g.store).PreviousFiles(), QStringList({"/t/R&D.qzf"}));
    }

    void zoomCommands() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        for (int i = 0; i < 6; ++i)
            w.Action("aZoomDown")->trigger();
        QCOMPARE(w.Zoom(), 50);
        QCOMPARE(w.Area().QuestionText()->Zoom(), 50);
        QCOMPARE(static_cast<RichTextControl*>(w.Area().AnswerWidget(TSessionArea::SlotRE1 + 9))->Zoom(), 50);
        w.ActionList1Update();
        QVERIFY(w.Action("aZoomDown")->isChecked() && !w.Action("aZoomNormal")->isChecked());
        w.Action("aZoomNormal")->trigger();
        QCOMPARE(w.Zoom(), 100);
        for (int i = 0; i < 30; ++i)
            w.Action("aZoomUp")->trigger();
        QCOMPARE(w.Zoom(), 400);
        w.ActionList1Update();
        QVERIFY(w.Action("aZoomUp")->isChecked());
        QCOMPARE(w.Action("aZoomUp")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
        QCOMPARE(w.Action("aZoomDown")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));

        // The hidden font-size steps add up and go back to normal together.
        const double before =
            w.Area().QuestionText()->BasePointSize(w.Area().QuestionText()->currentCharFormat());
        w.AFontSizeExecute(1);
        w.AFontSizeExecute(1);
        QCOMPARE(w.FontDelta(), 2);
        w.AFontSizeExecute(0);
        QCOMPARE(w.FontDelta(), 0);
        QCOMPARE(w.Area().QuestionText()->BasePointSize(w.Area().QuestionText()->currentCharFormat()),
                 before);
    }

    void digitKeys() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto radio = [&](int r) {
            return static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio + r));
        };
        // As a presentation leaves them: the grid enabled, three rows of choices.
        Child<QWidget>(w, "PanelVariant")->setEnabled(true);
        for (int r = 0; r < 3; ++r)
            radio(r)->setEnabled(true);

        // Outside a session a digit is only a digit.
        QTest::keyClick(&w, Qt::Key_2);
        QVERIFY(!radio(1)->isChecked());

        w.SetSessionState(SessionState::Testing);
        w.SetCurrentTaskKind(SingleChoice);
        w.Action("ACheckAskTask")->setEnabled(true);
        QTest::keyClick(&w, Qt::Key_2);
        QVERIFY(radio(1)->isChecked());
        QVERIFY(w.Area().GoCheckButton()->hasFocus());
        QTest::keyClick(&w, Qt::Key_1);
        QVERIFY(radio(0)->isChecked() && !radio(1)->isChecked());
        // "0" is the tenth row: hidden and disabled here, so nothing happens.
        QVERIFY(!w.HandleDigitKey(Qt::Key_0));
        QVERIFY(!w.HandleDigitKey(Qt::Key_4));
        // With ten variants "0" chooses the tenth.
        std::array<GridSize, 10> tenRows;
        tenRows.fill(GridSize{true, 10});
        w.Area().SetGridRowSizes(tenRows);
        radio(9)->setEnabled(true);
        QTest::keyClick(&w, Qt::Key_0);
        QVERIFY(radio(9)->isChecked());

        // Multiple choice toggles.
        w.SetCurrentTaskKind(MultipleChoice);
        std::array<GridSize, 7> cols = {GridSize{false, 20}, {false, 0}, {false, 40}, {false, 0},
                                        {true, 100},         {false, 0}, {false, 0}};
        w.Area().SetGridColumnSizes(cols);
        auto* box = static_cast<QCheckBox*>(w.Area().AnswerWidget(TSessionArea::SlotCheck + 2));
        box->setEnabled(true);
        QTest::keyClick(&w, Qt::Key_3);
        QVERIFY(box->isChecked());
        QTest::keyClick(&w, Qt::Key_3);
        QVERIFY(!box->isChecked());

        // Ordering, matching and true/false step through the list and wrap.
        cols = {GridSize{false, 20}, {false, 0}, {false, 0}, {false, 40},
                {true, 100},         {false, 0}, {false, 0}};
        w.Area().SetGridColumnSizes(cols);
        auto* combo = static_cast<QComboBox*>(w.Area().AnswerWidget(TSessionArea::SlotCombo + 0));
        combo->addItems({"", "Так", "Ні"});
        combo->setCurrentIndex(-1);
        combo->setEnabled(true);
        QSignalSpy activated(combo, &QComboBox::activated);
        for (int kind : {Ordering, Matching, TrueFalse}) {
            w.SetCurrentTaskKind(kind);
            combo->setCurrentIndex(-1);
            QList<int> seen;
            for (int i = 0; i < 4; ++i) {
                QVERIFY(w.HandleDigitKey(Qt::Key_1));
                seen.append(combo->currentIndex());
            }
            QCOMPARE(seen, QList<int>({0, 1, 2, 0}));
        }
        QCOMPARE(activated.size(), 12);

        // A number task lets digits reach its field.
        w.SetCurrentTaskKind(InputNum);
        auto* num = Child<QLineEdit>(w, "EditInputNum");
        Child<QWidget>(w, "PanelInputNum")->setEnabled(true);
        Child<QWidget>(w, "PanelInputNum")->show();
        num->setFocus();
        QTest::keyClick(num, Qt::Key_7);
        QCOMPARE(num->text(), QStringLiteral("7"));
    }

    void handOffsInOneProcess() {
        MainFormFixture f;
        SingleInstance first(SingleInstance::DefaultName, f.dir.filePath("run"));
        QCOMPARE(first.Start(), SingleInstance::Role::First);
        f.instance = &first;
        TStudentMainForm& w = f.Open();
        QSignalSpy handled(&w, &TStudentMainForm::HandOffHandled);
        // Hand-offs are taken once the window is up.
        w.show();
        SingleInstance later(SingleInstance::DefaultName, f.dir.filePath("run"));
        QCOMPARE(later.Start(), SingleInstance::Role::Later);
        const QString a = f.WriteTest("a.qzf");
        const QString b = f.WriteTest("b.qzf");
        // Several quick starts: an empty one, two test files and a file of another kind.
        for (const QString& message : {QString(), a, b, f.dir.filePath("c.txt")})
            QVERIFY(later.SendMessage(message.toUtf8()));
        QTRY_VERIFY(!first.HasMessages() && handled.size() >= 2);
        // The first test file is loaded, the later one is read and discarded.
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(w.Test()->FileName, a);
    }

    // A later start that hands a test over while the start-up load asks its password waits for
    // that load; then it finds a test open and is discarded.
    void handOffDuringTheStartUpPassword() {
        MainFormFixture f;
        SingleInstance first(SingleInstance::DefaultName, f.dir.filePath("run"));
        QCOMPARE(first.Start(), SingleInstance::Role::First);
        f.instance = &first;
        TTest locked({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        locked.Title = "Locked";
        locked.OpenPassword = "secret";
        const QString a = f.SaveTest("a.qzf", locked, {TTask(SingleChoice)});
        const QString b = f.WriteTest("b.qzf");
        SingleInstance later(SingleInstance::DefaultName, f.dir.filePath("run"));
        QCOMPARE(later.Start(), SingleInstance::Role::Later);
        f.prompts.passwords.enqueue(QByteArray("secret"));
        f.prompts.duringPrompt = [&] {
            f.prompts.duringPrompt = nullptr;
            QVERIFY(later.SendMessage(b.toUtf8()));
            QTest::qWait(200); // the prompt's own event loop runs meanwhile
        };
        TStudentMainForm& w = f.Open({a});
        QSignalSpy handled(&w, &TStudentMainForm::HandOffHandled);
        w.show();
        QTRY_VERIFY(handled.size() >= 1);
        QCOMPARE(f.prompts.passwordRequests, 1);
        QCOMPARE(w.Test()->FileName, a);
        QCOMPARE(w.Test()->Title, QByteArray("Locked"));
        // The handed-over test was never loaded meanwhile.
        QCOMPARE(w.RecentFiles().Items(), QStringList{a});
    }

    // A folder of attached files that cannot be removed when the test is closed is told in a box,
    // one for each folder that fails: the nested one and the folder that holds it.
    void undeletableFolderIsTold() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open({f.WriteTest("a.qzf")});
        w.show();
        QTRY_VERIFY(w.Test());
        const QString sub = w.Test()->TempFolder + QStringLiteral("sub");
        QVERIFY(QDir().mkpath(sub));
        const QString stuck = sub + QStringLiteral("/stuck.png");
        QFile file(stuck);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        // Nobody may delete it: immutable for root, in a folder without write permission otherwise.
        const bool root = ::geteuid() == 0;
        const auto release = [&] {
            if (root)
                QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), stuck});
            else
                QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QDir(sub).removeRecursively();
        };
        if (root ? QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), stuck}) != 0
                 : !QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner))
            QSKIP("cannot make a file that may not be deleted here");
        const QString folder = w.Test()->TempFolder;
        w.Action("ACloseTest")->trigger();
        release();
        QDir(folder).removeRecursively();
        QCOMPARE(f.prompts.messages.size(), 2);
        for (const auto& m : f.prompts.messages) {
            QCOMPARE(m.icon, MsgIcon::None);
            QVERIFY(!m.text.isEmpty());
        }
        QVERIFY(f.prompts.messages[0].text.contains(QStringLiteral("sub")));
    }

    void droppedFiles() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        const QString upper = f.WriteTest("GEO.QZF");
        const QString other = f.WriteTest("geo.txt");
        // Only the first file counts, and only a test file.
        QVERIFY(!w.WMDropFiles({QUrl::fromLocalFile(other), QUrl::fromLocalFile(upper)}));
        QCOMPARE(w.State(), SessionState::NoTest);
        QVERIFY(!w.WMDropFiles({QUrl(QStringLiteral("https://example.org/a.qzf"))}));

        // A drop event as the window receives it (the application delivers drops only during a
        // real drag, so the event goes to the window's handler directly).
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(upper), QUrl::fromLocalFile(other)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject&>(w).event(&enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject&>(w).event(&drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(w.State(), SessionState::TestLoaded);
        QCOMPARE(w.Test()->FileName, upper);

        // With a test open, or during a session, a drop does nothing.
        const QString second = f.WriteTest("second.qzf");
        QVERIFY(!w.WMDropFiles({QUrl::fromLocalFile(second)}));
        w.SetSessionState(SessionState::Testing);
        QVERIFY(!w.WMDropFiles({QUrl::fromLocalFile(second)}));
        QCOMPARE(w.Test()->FileName, upper);
    }

    void closeDuringSession() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        w.LoadTestFile(f.WriteTest("a.qzf"));
        w.Action(QStringLiteral("ABeginTest"))->trigger();
        QCOMPARE(w.State(), SessionState::Testing);
        f.prompts.yesNo.enqueue(false);
        QVERIFY(!f.Close());
        QCOMPARE(f.prompts.questions.size(), 1);
        QCOMPARE(f.prompts.questions[0].caption, QStringLiteral("Увага! Триває тестування..."));
        QCOMPARE(f.prompts.questions[0].text,
                 QStringLiteral("Ви бажаєте вийти із програми під час тестаування?"));
        QCOMPARE(f.prompts.questions[0].icon, MsgIcon::Question);
        QVERIFY(!f.ResultLog().contains("\xC7\xE0\xEA\xF0\xFB\xF2\xE0"));

        // The session asks once; on Yes it finishes and the window closes.
        w.Settings().IsShowUserResult = false;
        w.Settings().IsShowDetailReportModeEducation = false;
        f.prompts.yesNo.enqueue(true);
        QVERIFY(f.Close());
        QCOMPARE(f.prompts.questions.size(), 2);
        QCOMPARE(w.State(), SessionState::NoTest);
        QVERIFY(f.ResultLog().contains("\xC7\xE0\xEA\xF0\xFB\xF2\xE0"));
    }

    void windowPlacement() {
        MainFormFixture f;
        QFile config(QDir(f.ProgramFolder()).filePath("QuizarStudent_Config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[Save]\r\nIsUseWindowSettings=1\r\n");
        config.close();
        TStudentMainForm& w = f.Open();
        QVERIFY(w.WindowSettingsRestored());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(760, 520);
        QVERIFY(f.Close());
        f.store->sync();
        f.store->beginGroup(UserStore::MainFormGroup);
        QCOMPARE(f.store->value("Width").toString(), QStringLiteral("760"));
        QCOMPARE(f.store->value("Height").toString(), QStringLiteral("520"));
        QCOMPARE(f.store->value("Position").toString(), QStringLiteral("poScreenCenter"));
        QCOMPARE(f.store->value("WindowState").toString(), QStringLiteral("wsNormal"));
        QVERIFY(f.store->contains("PanelQuestion.Height"));
        QVERIFY(f.store->contains("Left"));
        // A value that does not convert is skipped; the others still apply.
        f.store->setValue("PanelQuestion.Height", "abc");
        f.store->setValue("Width", "780");
        f.store->endGroup();
        f.store->sync();

        TStudentMainForm& again = f.Open();
        QCOMPARE(again.width(), 780);
        QCOMPARE(again.height(), 520);
        // Opened centred whatever was stored.
        const QRect screen = again.screen()->availableGeometry();
        QVERIFY(qAbs(again.geometry().center().x() - screen.center().x()) <= 1);

        // A size stored on a bigger screen is cut to this one, frame included.
        f.store->setValue(UserStore::MainFormGroup + "/Width", "2000");
        f.store->setValue(UserStore::MainFormGroup + "/Height", "1500");
        f.store->sync();
        TStudentMainForm& big = f.Open();
        QVERIFY(big.width() < screen.width() && big.height() < screen.height());
        QVERIFY(screen.contains(big.geometry()));

        // A window closed maximised opens maximised, and its normal bounds are centred, so that
        // restoring it does not put it back where it was last time.
        f.store->setValue(UserStore::MainFormGroup + "/Width", "740");
        f.store->setValue(UserStore::MainFormGroup + "/Height", "500");
        f.store->setValue(UserStore::MainFormGroup + "/Left", "3");
        f.store->setValue(UserStore::MainFormGroup + "/Top", "7");
        f.store->setValue(UserStore::MainFormGroup + "/WindowState", "wsMaximized");
        f.store->sync();
        TStudentMainForm& maximised = f.Open();
        QVERIFY(maximised.windowState() & Qt::WindowMaximized);
        QCOMPARE(maximised.normalGeometry().size(), QSize(740, 500));
        QVERIFY(qAbs(maximised.normalGeometry().center().x() - screen.center().x()) <= 1);

        // Without the setting nothing is restored.
        MainFormFixture g;
        TStudentMainForm& plain = g.Open();
        QVERIFY(!plain.WindowSettingsRestored());
        QCOMPARE(plain.size(), FitToScreen(QRect(QPoint(0, 0), TStudentMainForm::DefaultSize),
                                           TStudentMainForm::UsualFrame, screen, plain.minimumSizeHint())
                                   .size());
    }

    void settingsCommands() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        QVERIFY(!w.Settings().IsSaveConfig);
        w.Action("AIsSaveConfig")->trigger();
        QVERIFY(w.Settings().IsSaveConfig);
        w.Action("AIsUseWindowSettings")->trigger();
        QVERIFY(w.Settings().IsUseWindowSettings);
        f.prompts.yesNo.enqueue(true);
        w.Action("ASaveConfigNow")->trigger();
        QCOMPARE(f.prompts.questions.last().text,
                 QStringLiteral("Ви бажаєте зберегти налаштування програми зараз?"));
        QCOMPARE(f.prompts.questions.last().caption, QStringLiteral("Внимание!"));
        QVERIFY(QFile::exists(QDir(f.ProgramFolder()).filePath("QuizarStudent_Config.txt")));
        w.Settings().IsSaveConfig = false;
        f.prompts.yesNo.enqueue(false);
        w.Action("ALoadConfigNow")->trigger();
        QVERIFY(!w.Settings().IsSaveConfig);
        f.prompts.yesNo.enqueue(true);
        w.Action("ALoadConfigNow")->trigger();
        QVERIFY(w.Settings().IsSaveConfig);
        // During a session they do nothing even when invoked.
        w.SetSessionState(SessionState::Testing);
        w.ASaveConfigNowExecute();
        QCOMPARE(f.prompts.questions.size(), 3);
    }

    void helpAndCalculator() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.Action("AShowHelp")->trigger();
        QCOMPARE(f.opened.size(), 1);
        QCOMPARE(f.opened[0], QUrl::fromLocalFile(QDir(f.ProgramFolder()).filePath("Help.html")));
        // A help file of the older kind beside the program is preferred.
        QFile chm(QDir(f.ProgramFolder()).filePath("Help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.close();
        w.Action("AShowHelp")->trigger();
        QCOMPARE(f.opened.last(), QUrl::fromLocalFile(chm.fileName()));
        QCOMPARE(w.Action("AShowHelp")->shortcut(), QKeySequence(Qt::Key_F1));

        // Outside a session the calculator command does nothing.
        f.installed = {"kcalc", "xcalc"};
        w.Action("aCalcExe")->trigger();
        QVERIFY(f.started.isEmpty() && f.prompts.messages.isEmpty());
        w.SetSessionState(SessionState::Testing);
        w.Action("aCalcExe")->trigger();
        QCOMPARE(f.started, QStringList({"/usr/bin/kcalc"}));
        QVERIFY(f.prompts.messages.isEmpty());
        f.startWorks = false;
        w.Action("aCalcExe")->trigger();
        f.installed.clear();
        w.Action("aCalcExe")->trigger();
        QCOMPARE(f.prompts.messages.size(), 2);
        QCOMPARE(f.prompts.messages[0].caption, QStringLiteral("QuizarStudent"));
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Помилка запуску стандартного калькулятора"));
        QCOMPARE(f.prompts.messages[0].icon, MsgIcon::None);
    }

    void enterChecksTheAnswer() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy checks(w.Action("ACheckAskTask"), &QAction::triggered);
        w.SetSessionState(SessionState::Testing);
        w.SetCurrentTaskKind(SingleChoice);
        Child<QWidget>(w, "PanelVariant")->setEnabled(true);
        auto* radio = static_cast<QRadioButton*>(w.Area().AnswerWidget(TSessionArea::SlotRadio));
        radio->setEnabled(true);
        radio->setFocus();
        // Disabled until the pupil answers.
        QTest::keyClick(radio, Qt::Key_Return);
        QCOMPARE(checks.size(), 0);
        w.Action("ACheckAskTask")->setEnabled(true);
        QTest::keyClick(radio, Qt::Key_Return);
        QCOMPARE(checks.size(), 1);
        // The engine behind the command has no session and reports so; pretend again.
        w.SetSessionState(SessionState::Testing);
        w.Action("ACheckAskTask")->setEnabled(true);
        auto* text = Child<QLineEdit>(w, "EditInputText");
        Child<QWidget>(w, "PanelInputText")->setEnabled(true);
        Child<QWidget>(w, "PanelInputText")->show();
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Enter);
        QCOMPARE(checks.size(), 2);
    }

    void resourcesAndSound() {
        QFile chime(QStringLiteral(":/sounds/ENDTEST.wav"));
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(chime.open(QIODevice::ReadOnly));
        const QByteArray wav = chime.readAll();
        QVERIFY(wav.startsWith("RIFF") && wav.mid(8, 4) == "WAVE");
        // A short chime, well under two seconds of 16-bit mono at 22050 Hz.
        QVERIFY(wav.size() < 2 * 22050 * 2);
        // Without a sound device, or with a file that is not there, playing is no error.
        w.PlayEndSound();
        w.Settings().IsUseDefaultSound = false;
        w.Settings().SoundFileName = "missing.wav";
        w.PlayEndSound();
        QTest::qWait(50);
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void viewers() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        RichTextControl* variant = w.Area().VariantTexts1()[1];
        variant->setPlainText(QStringLiteral("Київ"));
        // Whatever modal viewer opens is read and closed at once.
        QString seen;
        auto closeViewer = [&] {
            QTimer::singleShot(0, [&] {
                if (auto* modal = QApplication::activeModalWidget()) {
                    if (auto* text = modal->findChild<RichTextControl*>())
                        seen = text->toPlainText();
                    modal->close();
                }
            });
        };
        // Only during a session.
        QTest::mouseDClick(variant->viewport(), Qt::LeftButton);
        QVERIFY(seen.isEmpty());
        w.SetSessionState(SessionState::Testing);
        Child<QWidget>(w, "PanelVariant")->setEnabled(true);
        closeViewer();
        QTest::mouseDClick(variant->viewport(), Qt::LeftButton);
        QCOMPARE(seen, QStringLiteral("Київ"));

        // A click on the task picture opens the picture viewer, without blocking.
        auto* picture = Child<QLabel>(w, "QuestionImage");
        QPixmap pixmap(320, 80);
        pixmap.fill(Qt::red);
        picture->setPixmap(pixmap);
        picture->setEnabled(true);
        picture->show();
        QTRY_VERIFY(picture->height() > 60);
        // Scaled to the control's width with its proportions: 160 x 40.
        const QImage shown = picture->grab().toImage();
        QCOMPARE(shown.pixelColor(80, 20), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(158, 38), QColor(Qt::red));
        QVERIFY(shown.pixelColor(80, 50) != QColor(Qt::red));
        QTest::mouseClick(picture, Qt::LeftButton);
        QWidget* viewer = w.QuestionImageForm();
        QVERIFY(viewer && viewer->isVisible());
        viewer->close();
    }

    void infoWindows() {
        TAboutForm about;
        QVERIFY(about.findChild<QLabel*>("AboutText")->text().contains(QStringLiteral(QUIZAR_VERSION)));
        TLicenseForm license;
        QVERIFY(license.findChild<QPlainTextEdit*>("LicenseText")->toPlainText().contains("QuizarStudent"));
        TDonateForm donate;
        QVERIFY(!donate.findChild<QLabel*>("DonateText")->text().isEmpty());
    }

    // A long load shows its progress in the status bar and lets the window's events through
    // (paints, timers), but no second load and no closing while it runs. The bar's delay is set to
    // nothing here, so that a load of a few pieces shows it.
    void longLoadShowsProgress() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
        test.Title = "Big";
        TTask task(SingleChoice);
        task.Question = "q";
        task.Variants[0] = "a";
        task.Keys[0] = 1;
        // Pictures that do not compress: the container takes several pieces to read.
        QByteArray noise(3 << 20, Qt::Uninitialized);
        quint32 x = 1;
        for (char& c : noise) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        const QString big = f.SaveTest(QStringLiteral("big.qzf"), test, {task}, {{"noise.bin", noise}});
        const QString other = f.WriteTest(QStringLiteral("other.qzf"));
        w.LoadIndicator().SetShowAfterMs(0);
        QProgressBar* bar = w.LoadIndicator().Bar();
        bool ran = false, shown = false, closed = true;
        int value = -1, barPaints = 0;
        EventCounter paints(*bar, QEvent::Paint, barPaints);
        QTimer::singleShot(0, &w, [&] {
            ran = true;
            shown = bar->isVisible();
            value = bar->value();
            w.LoadTestFile(other); // as a hand-off or a drop would
            closed = w.close();
        });
        w.LoadTestFile(big);
        QVERIFY(ran);
        QVERIFY(shown);
        QVERIFY(value > 0 && value < 1000);
        QVERIFY(barPaints > 0);
        QVERIFY(!closed);
        QVERIFY(w.isVisible());
        QVERIFY(!bar->isVisible());
        QVERIFY(w.Test());
        QCOMPARE(w.Test()->Title, QByteArray("Big"));
        QCOMPARE(w.State(), SessionState::TestLoaded);
    }

    void urgentPanels() {
        MainFormFixture f;
        TStudentMainForm& w = f.Open();
        TMainStatusBar* bar = w.StatusPanels();
        bar->SetPanelUrgent(4, true);
        QCOMPARE(bar->Panel(4)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(bar->Panel(4)->alignment() & Qt::AlignHCenter);
        bar->SetPanelUrgent(4, false);
        QVERIFY(bar->Panel(4)->palette().color(QPalette::WindowText) != QColor(255, 0, 0));
        QCOMPARE(bar->Panel(0)->width(), 100);
        QCOMPARE(bar->Panel(6)->width(), 22);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
