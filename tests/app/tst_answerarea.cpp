// The answer area of the main window taken through its real widgets: every kind
// answered rightly and wrongly, the education-mode marks and colours, the equal-rank block, the
// number filter under a comma locale, the layout rules, and a task that comes back blank.
#include "FormulaCorpus.h"
#include "MainFormFixture.h"
#include "MetafileWriter.h"
#include "WidgetTesting.h"
#include "app/AnswerArea.h"
#include "app/SessionWindowView.h"
#include "model/TextCodec.h"
#include "ui/PictureTextObject.h"
#include "ui/gui/PictureLabel.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>

namespace {

QByteArray Cp(QStringView text) {
    return TextCodec::ToCp1251(text);
}

// Text for an RTF fragment: code-page-1251 bytes as escapes.
QByteArray RtfEscaped(const QString& text) {
    QByteArray out;
    for (const char c : Cp(text)) {
        if (uchar(c) < 0x80)
            out += c;
        else
            out += "\\'" + QByteArray::number(uchar(c), 16);
    }
    return out;
}

// A picture with a red square where the right area of the point task lies.
constexpr QRect RedSquare(250, 120, 60, 60);

QByteArray PicturePng() {
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(QColor(235, 240, 250));
    QPainter p(&image);
    p.fillRect(QRect(40, 40, 80, 80), QColor(40, 120, 220));
    p.setBrush(QColor(40, 170, 60));
    p.drawEllipse(QRect(120, 160, 90, 90));
    p.fillRect(RedSquare, QColor(220, 30, 30));
    p.end();
    return Encoded(image, "PNG");
}

// What the pupil does on a task: kind 1 the row clicked, kind 2 the rows ticked, kinds 3 to 5 the
// list item chosen per row (-1 none), kinds 6 and 7 the keys typed, kind 8 the point clicked.
struct Act {
    QList<int> rows;
    QString typed;
    QPoint point;
};

// Feedback expected on screen per row. Colour codes: "C" ColorCorrect, "E" ColorError, a number
// the collation colour of that number, "" the control's own.
struct Marks {
    QStringList signs;
    QStringList variantColours;
    QStringList listColours;
    QStringList matchColours;
    QString rightAnswer; // the second line of the message
    bool area = false;
};

struct Case {
    TTask task;
    Act right;
    Act wrong;
    QByteArray rightText;
    QByteArray wrongText;
    Marks marks; // after the wrong answer
};

TTask MakeTask(int kind, const char16_t* question, std::initializer_list<const char16_t*> variants,
               std::initializer_list<qint32> keys, std::initializer_list<const char16_t*> matches = {}) {
    TTask t(kind);
    t.Question = Cp(question);
    int i = 0;
    for (const char16_t* v : variants)
        t.Variants[size_t(i++)] = Cp(v);
    i = 0;
    for (qint32 k : keys)
        t.Keys[size_t(i++)] = k;
    i = 0;
    for (const char16_t* m : matches)
        t.Matches[size_t(i++)] = Cp(m);
    return t;
}

QList<Case> Cases() {
    QList<Case> cases;
    cases.append({MakeTask(SingleChoice, u"Скільки буде 2 + 2?", {u"3", u"4", u"5"}, {0, 1, 0}),
                  {{1}, {}, {}},
                  {{0}, {}, {}},
                  "2",
                  "1",
                  {{"-", "+", "-"}, {"E", "C", ""}, {}, {}, {}, false}});
    cases.append({MakeTask(MultipleChoice, u"Які з чисел прості?", {u"2", u"3", u"4", u"9"}, {1, 1, 0, 0}),
                  {{0, 1}, {}, {}},
                  {{0, 2}, {}, {}},
                  "1;2;",
                  "1;3;",
                  {{"+", "+", "-", "-"}, {"C", "C", "E", ""}, {}, {}, {}, false}});
    cases.append({MakeTask(Ordering, u"Розташуйте планети за віддаленістю від Сонця:",
                           {u"Земля", u"Меркурій", u"Марс", u"Венера"}, {3, 1, 4, 2}),
                  {{2, 0, 3, 1}, {}, {}},
                  {{2, 0, 1, 3}, {}, {}},
                  "1-3;2-1;3-4;4-2;",
                  "1-3;2-1;3-2;4-4;",
                  {{"3", "1", "4", "2"}, {"C", "C", "E", "E"}, {"C", "C", "E", "E"}, {}, {}, false}});
    cases.append(
        {MakeTask(Matching, u"Установіть відповідність між країнами та їхніми столицями:",
                  {u"Україна", u"Польща", u"Франція"}, {2, 1, 3}, {u"Варшава", u"Київ", u"Париж", u"Берлін"}),
         {{1, 0, 2}, {}, {}},
         {{0, 1, 2}, {}, {}},
         "1-2;2-1;3-3;",
         "1-1;2-2;3-3;",
         // The fourth right-hand item lies below the last variant's row: it keeps its own colour.
         {{"2", "1", "3"}, {"2", "1", "3"}, {"E", "E", "C"}, {"1", "2", "3", ""}, {}, false}});
    cases.append({MakeTask(TrueFalse, u"Чи істинні твердження?",
                           {u"Вода кипить при 100 °C за нормального тиску.",
                            u"Сонце обертається навколо Землі.", u"Київ — столиця України."},
                           {1, 2, 1}),
                  {{1, 2, 1}, {}, {}},
                  {{1, 1, 0}, {}, {}},
                  Cp(u"1-Так;2-Ні;3-Так;"),
                  Cp(u"1-Так;2-Так;3-;"),
                  {{"+", "-", "+"}, {"C", "E", "E"}, {"C", "E", "E"}, {}, {}, false}});
    TTask number = MakeTask(InputNum, u"Скільки буде 3 : 2?", {}, {});
    number.NumValue = 1.5;
    // Typed with a full stop, shown and recorded with the locale's comma.
    cases.append({number,
                  {{}, "1.5", {}},
                  {{}, "2.5", {}},
                  "1,5",
                  "2,5",
                  {{}, {}, {}, {}, QStringLiteral("Верный ответ: 1,5."), false}});
    TTask text = MakeTask(InputText, u"Назвіть столицю України.", {}, {});
    text.TextAnswers = Cp(u"Київ\r\nKyiv");
    // Either line, in any letter case (the test's keys type Latin letters only).
    cases.append({text,
                  {{}, "kyiv", {}},
                  {{}, "Lviv", {}},
                  "kyiv",
                  "Lviv",
                  {{}, {}, {}, {}, QStringLiteral("Верный ответ: \"Київ\"."), false}});
    TTask point = MakeTask(PointOnPicture, u"Вкажіть на малюнку червоний квадрат.", {}, {});
    point.Picture = "picture.png";
    point.Area = {RedSquare.left(), RedSquare.top(), RedSquare.width(), RedSquare.height()};
    cases.append({point,
                  {{}, {}, QPoint(280, 150)},
                  {{}, {}, QPoint(60, 200)},
                  "x=280; y=150",
                  "x=60; y=200",
                  {{}, {}, {}, {}, {}, true}});
    return cases;
}

// The same picture as a metafile drawing programs write: 400 by 300 pixels, the red square at the
// same place in the picture's own pixels.
QByteArray PictureWmf() {
    MfWrite::Wmf w(QRect(0, 0, 4000, 3000), 960); // tenths of a pixel
    w.Pen(5, 0, 0).Select(0).Brush(0, MfWrite::Rgb(235, 240, 250)).Select(1).Rectangle(0, 0, 4001, 3001);
    w.Brush(0, MfWrite::Rgb(40, 120, 220)).Select(2).Delete(1).Rectangle(400, 400, 1200, 1200);
    w.Brush(0, MfWrite::Rgb(40, 170, 60)).Select(1).Delete(2).Ellipse(1200, 1600, 2100, 2500);
    w.Brush(0, MfWrite::Rgb(220, 30, 30)).Select(2).Delete(1);
    w.Rectangle(RedSquare.left() * 10, RedSquare.top() * 10, (RedSquare.left() + RedSquare.width()) * 10,
                (RedSquare.top() + RedSquare.height()) * 10);
    return w.Bytes();
}

// A wording with a formula in it, as rich-edit keeps one: a metafile picture inside the text.
QByteArray FormulaWording(const QString& before, unsigned seed) {
    const QByteArray wmf = FormulaCorpus::ToWmf(FormulaCorpus::Make(seed));
    return "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
           "Roman;}}\\f0\\fs24 " +
           RtfEscaped(before) + " {\\pict\\wmetafile8 " + wmf.toHex() + "}\\par}";
}

// A test of the given tasks and a last one that keeps the session open while they are looked at.
QString WriteTasks(MainFormFixture& f, std::vector<TTask> tasks, bool skipping = false) {
    TTest test({}, {}, QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
    test.Title = "Answers";
    test.EducationMode = true;
    test.AllowSkipping = skipping;
    if (!skipping)
        tasks.push_back(MakeTask(SingleChoice, u"Last", {u"a", u"b"}, {1, 0}));
    return f.SaveTest(QStringLiteral("answers.qzf"), test, tasks,
                      {{"picture.png", PicturePng()}, {"picture.wmf", PictureWmf()}});
}

TStudentMainForm& Begin(MainFormFixture& f, const QString& path) {
    TStudentMainForm& w = f.Open({path});
    w.resize(1024, 768);
    w.show();
    [&] { QTRY_VERIFY(w.Test()); }();
    f.AnswerNameDialog();
    w.Settings().IsShowUserResult = false;
    w.Settings().IsShowDetailReportModeEducation = false;
    w.Action(QStringLiteral("ABeginTest"))->trigger();
    return w;
}

template <typename T> T* Slot(TStudentMainForm& w, int base, int row) {
    return static_cast<T*>(w.Area().AnswerWidget(base + row));
}
QComboBox* List(TStudentMainForm& w, int row) {
    return Slot<QComboBox>(w, TSessionArea::SlotCombo, row);
}
QString MarkText(TStudentMainForm& w, int row) {
    return Slot<QLabel>(w, TSessionArea::SlotLabel1, row)->text();
}
QString TextOf(RichTextControl* re) {
    return TextCodec::FromCp1251(GetRichPlainText(*re, true));
}

// Chooses a list item the way the keyboard does, one step at a time; each step is an activation.
void Choose(QComboBox* list, int index) {
    while (list->currentIndex() < index)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > index)
        QTest::keyClick(list, Qt::Key_Up);
}

void Give(TStudentMainForm& w, int kind, const Act& act) {
    switch (kind) {
    case SingleChoice:
        for (int r : act.rows)
            QTest::mouseClick(Slot<QRadioButton>(w, TSessionArea::SlotRadio, r), Qt::LeftButton);
        break;
    case MultipleChoice:
        for (int r : act.rows)
            QTest::mouseClick(Slot<QCheckBox>(w, TSessionArea::SlotCheck, r), Qt::LeftButton);
        break;
    case Ordering:
    case Matching:
    case TrueFalse:
        for (int r = 0; r < act.rows.size(); ++r)
            Choose(List(w, r), act.rows[r]);
        break;
    case InputNum:
        QTest::keyClicks(w.findChild<QLineEdit*>(QStringLiteral("EditInputNum")), act.typed);
        break;
    case InputText:
        QTest::keyClicks(w.findChild<QLineEdit*>(QStringLiteral("EditInputText")), act.typed);
        break;
    case PointOnPicture:
        QTest::mouseClick(w.findChild<QLabel*>(QStringLiteral("Image")), Qt::LeftButton, {}, act.point);
        break;
    default:
        break;
    }
}

QColor Bgr(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The colour a code of Marks stands for; `own` for "".
QColor CodeColour(const TSettings& s, const QString& code, const QColor& own) {
    if (code == "C")
        return Bgr(s.ColorCorrect);
    if (code == "E")
        return Bgr(s.ColorError);
    if (code.isEmpty())
        return own;
    return Bgr(s.ColorCollation[size_t(code.toInt() - 1)]);
}

// What the answer area shows of feedback at one moment.
struct Seen {
    QStringList signs;
    QList<QColor> variantColours;
    QList<QColor> listColours;
    QList<QColor> matchColours;
    bool shapeShown = false;
    QRect shape;
    bool pointShown = false;
};

Seen Look(TStudentMainForm& w) {
    Seen s;
    for (int r = 0; r < TSessionArea::GridRows; ++r) {
        s.signs.append(MarkText(w, r));
        s.variantColours.append(
            Slot<QWidget>(w, TSessionArea::SlotRE1, r)->palette().color(QPalette::Active, QPalette::Base));
        s.listColours.append(List(w, r)->palette().color(QPalette::Active, QPalette::Button));
        s.matchColours.append(
            Slot<QWidget>(w, TSessionArea::SlotRE2, r)->palette().color(QPalette::Active, QPalette::Base));
    }
    auto* shape = w.findChild<QWidget*>(QStringLiteral("Shape"));
    s.shapeShown = shape->isVisible();
    s.shape = shape->geometry();
    s.pointShown = w.findChild<QWidget*>(QStringLiteral("ShapePoint"))->isVisible();
    return s;
}

} // namespace

class TestAnswerArea : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // A comma locale: the number field types its comma, the engine reads with it.
        QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    }

    void EveryKindRightAndWrong_data() {
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << true;
        QTest::newRow("wrong") << false;
    }
    void EveryKindRightAndWrong() {
        QFETCH(bool, right);
        MainFormFixture f;
        const QList<Case> cases = Cases();
        std::vector<TTask> tasks;
        for (const Case& c : cases)
            tasks.push_back(c.task);
        TStudentMainForm& w = Begin(f, WriteTasks(f, tasks));
        QCOMPARE(w.State(), SessionState::Testing);
        const LoadedTest* loaded = w.Loaded();
        for (int step = 0; step < cases.size(); ++step) {
            const TTask* task = w.SessionEngine().CurrentTask();
            QVERIFY(task);
            const int n = int(task - loaded->tasks.data());
            const Case& c = cases[n];
            QVERIFY2(!w.Area().GoCheckButton()->isEnabled(), qPrintable(QString::number(n)));
            Give(w, task->Kind, right ? c.right : c.wrong);
            QVERIFY2(w.Area().GoCheckButton()->isEnabled(), qPrintable(QString::number(n)));
            w.Area().GoCheckButton()->click();
            const TResultTest* result = w.SessionEngine().Result();
            QVERIFY(result);
            QCOMPARE(result->GetTaskAnswer(n), right ? c.rightText : c.wrongText);
            QCOMPARE(result->GetTaskPoints(n), right ? 1 : 0);
            QCOMPARE(f.prompts.messages.size(), right ? 0 : step + 1);
        }
        QCOMPARE(w.SessionEngine().CurrentTask()->Question, QByteArray("Last"));
    }

    // A wrong answer in education mode: marks and colours while the message is up; the colours
    // go back when the pupil has read it, the marks stay until the next task.
    void EducationFeedback() {
        MainFormFixture f;
        const QList<Case> cases = Cases();
        std::vector<TTask> tasks;
        for (const Case& c : cases)
            tasks.push_back(c.task);
        TStudentMainForm& w = Begin(f, WriteTasks(f, tasks));
        QCOMPARE(w.State(), SessionState::Testing);
        const Seen before = Look(w);
        const QColor ownText = before.variantColours[9];
        const QColor ownList = before.listColours[9];
        Seen during;
        Seen after;
        f.prompts.duringPrompt = [&] {
            during = Look(w);
            w.SessionWindow().ClearFeedback();
            after = Look(w);
        };
        const TSettings& s = w.Settings();
        for (int step = 0; step < cases.size(); ++step) {
            const TTask* task = w.SessionEngine().CurrentTask();
            const Case& c = cases[int(task - w.Loaded()->tasks.data())];
            const QByteArray kind = QByteArray::number(task->Kind);
            Give(w, task->Kind, c.wrong);
            w.Area().GoCheckButton()->click();
            QCOMPARE(f.prompts.messages.size(), step + 1);
            QCOMPARE(f.prompts.messages.last().text,
                     QStringLiteral("Неправильно...\r\n") + c.marks.rightAnswer);
            const Marks& m = c.marks;
            for (int r = 0; r < m.signs.size(); ++r) {
                QVERIFY2(during.signs[r] == m.signs[r], kind.constData());
                QVERIFY2(after.signs[r] == m.signs[r], kind.constData());
            }
            for (int r = 0; r < m.variantColours.size(); ++r)
                QVERIFY2(during.variantColours[r] == CodeColour(s, m.variantColours[r], ownText),
                         kind.constData());
            for (int r = 0; r < m.listColours.size(); ++r)
                QVERIFY2(during.listColours[r] == CodeColour(s, m.listColours[r], ownList), kind.constData());
            for (int j = 0; j < m.matchColours.size(); ++j)
                QVERIFY2(during.matchColours[j] == CodeColour(s, m.matchColours[j], ownText),
                         kind.constData());
            QCOMPARE(during.shapeShown, m.area);
            if (m.area)
                QCOMPARE(during.shape, RedSquare);
            // Put back: the controls' own colours, no rectangle and no marker.
            for (int r = 0; r < TSessionArea::GridRows; ++r) {
                QCOMPARE(after.variantColours[r], ownText);
                QCOMPARE(after.matchColours[r], ownText);
                QCOMPARE(after.listColours[r], ownList);
            }
            QVERIFY(!after.shapeShown);
            QVERIFY(!after.pointShown);
        }
        // The next task starts without the marks.
        QCOMPARE(Look(w).signs, before.signs);
    }

    // Kind 3: two equal ranks are marked "?" and block the check until one changes.
    void EqualRanksBlockTheCheck() {
        MainFormFixture f;
        TStudentMainForm& w = Begin(f, WriteTasks(f, {Cases()[2].task}));
        struct Step {
            int row;
            int index;
            QStringList marks;
            bool checkable;
        };
        const QList<Step> steps = {
            {0, 0, {"", "", "", ""}, true},    {1, 0, {"?", "?", "", ""}, false},
            {2, 1, {"?", "?", "", ""}, false}, {1, 2, {"", "", "", ""}, true},
            {3, 1, {"", "", "?", "?"}, false}, {3, 3, {"", "", "", ""}, true},
        };
        for (const Step& step : steps) {
            Choose(List(w, step.row), step.index);
            for (int r = 0; r < 4; ++r)
                QCOMPARE(MarkText(w, r), step.marks[r]);
            QCOMPARE(w.Area().GoCheckButton()->isEnabled(), step.checkable);
        }
    }

    // The number field under a comma locale.
    void NumberFilter() {
        MainFormFixture f;
        TStudentMainForm& w = Begin(f, WriteTasks(f, {Cases()[5].task}));
        int beeps = 0;
        w.SessionWindow().Answers().Beep = [&beeps] { ++beeps; };
        auto* edit = w.findChild<QLineEdit*>(QStringLiteral("EditInputNum"));
        QVERIFY(edit->isVisible());
        struct Typing {
            const char* keys;
            const char16_t* text;
            int refused;
        };
        const QList<Typing> table = {
            {"1.5", u"1,5", 0},   {"1,5", u"1,5", 0},     {"1.5.2", u"1,52", 1}, {"1,5,.", u"1,5", 2},
            {"-1.5", u"-1,5", 0}, {"1-5", u"15", 1},      {"--1", u"-1", 1},     {"1a2 b", u"12", 3},
            {",5", u",5", 0},     {"-0.25", u"-0,25", 0},
        };
        for (const Typing& t : table) {
            edit->clear();
            beeps = 0;
            QTest::keyClicks(edit, QString::fromLatin1(t.keys));
            QCOMPARE(edit->text(), QString::fromUtf16(t.text));
            QCOMPARE(beeps, t.refused);
        }
        // "-" is allowed at the start of a text that has none, and Backspace works.
        edit->clear();
        beeps = 0;
        QTest::keyClicks(edit, "25");
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, '-');
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("-2"));
        QCOMPARE(beeps, 0);
        // Pasted text is not filtered.
        edit->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("x1.5"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        if (QGuiApplication::clipboard()->text() == QStringLiteral("x1.5"))
            QCOMPARE(edit->text(), QStringLiteral("x1.5"));
        QVERIFY(w.Area().GoCheckButton()->isEnabled());
    }

    void Layout_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("variants");
        QTest::addColumn<int>("matches");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QList<int>>("columns"); // absolute sizes of columns 0 to 3 and 5
        const QStringList none;
        QTest::newRow("single, 2 variants")
            << int(SingleChoice) << 2 << 0 << 4 << none << QList<int>{20, 40, 0, 0, 0};
        QTest::newRow("multiple, 7 variants")
            << int(MultipleChoice) << 7 << 0 << 7 << none << QList<int>{20, 0, 40, 0, 0};
        QTest::newRow("ordering, 5 variants")
            << int(Ordering) << 5 << 0 << 5 << QStringList{"1", "2", "3", "4", "5"}
            << QList<int>{20, 0, 0, 40, 0};
        QTest::newRow("matching, 3 variants and 6 matches")
            << int(Matching) << 3 << 6 << 6 << QStringList{"1", "2", "3", "4", "5", "6"}
            << QList<int>{20, 0, 0, 40, 20};
        QTest::newRow("true/false, 3 variants")
            << int(TrueFalse) << 3 << 0 << 4 << QStringList{"—", "Так", "Ні"} << QList<int>{20, 0, 0, 40, 0};
    }
    void Layout() {
        QFETCH(int, kind);
        QFETCH(int, variants);
        QFETCH(int, matches);
        QFETCH(int, rows);
        QFETCH(QStringList, items);
        QFETCH(QList<int>, columns);
        TTask task(kind);
        task.Question = "?";
        for (int v = 0; v < variants; ++v) {
            task.Variants[size_t(v)] = "v" + QByteArray::number(v + 1);
            task.Keys[size_t(v)] = v + 1;
        }
        for (int j = 0; j < matches; ++j)
            task.Matches[size_t(j)] = "m" + QByteArray::number(j + 1);
        MainFormFixture f;
        TStudentMainForm& w = Begin(f, WriteTasks(f, {task}));
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("PanelVariant"))->isVisible());
        const auto& cols = w.Area().GridColumnSizes();
        const QList<int> absolute = {cols[0].value, cols[1].value, cols[2].value, cols[3].value,
                                     cols[5].value};
        QCOMPARE(absolute, columns);
        QVERIFY(cols[4].percent);
        QCOMPARE(cols[6].value > 0, kind == Matching);
        for (int r = 0; r < TSessionArea::GridRows; ++r) {
            const GridSize size = w.Area().GridRowSizes()[size_t(r)];
            QCOMPARE(size.value, r < rows ? 100 / rows : 0);
            QCOMPARE(size.percent, r < rows);
            auto* text = Slot<RichTextControl>(w, TSessionArea::SlotRE1, r);
            QCOMPARE(TextOf(text), r < variants ? QStringLiteral("v%1").arg(r + 1) : QString());
            QCOMPARE(text->isEnabled(), r < variants);
            if (kind == SingleChoice && r < rows) {
                // Rows without a variant keep their height, their buttons shown but disabled.
                auto* radio = Slot<QRadioButton>(w, TSessionArea::SlotRadio, r);
                QVERIFY(radio->isVisible());
                QCOMPARE(radio->isEnabled(), r < variants);
            }
            QComboBox* list = List(w, r);
            if (!items.isEmpty() && r < variants) {
                QStringList offered;
                for (int i = 0; i < list->count(); ++i)
                    offered << list->itemText(i);
                QCOMPARE(offered, items);
                QCOMPARE(list->currentIndex(), -1);
                QVERIFY(list->isVisible());
                QVERIFY(list->isEnabled());
            } else {
                QVERIFY(!list->isEnabled());
                QCOMPARE(list->count(), 0);
                // Rows 0 to 4 of a list kind keep an empty, disabled list; later rows show none.
                QCOMPARE(list->isVisible(), !items.isEmpty() && r < rows && r < 5);
            }
            if (kind == Matching) {
                QCOMPARE(Slot<QLabel>(w, TSessionArea::SlotLabel2, r)->text(),
                         r < matches ? QString::number(r + 1) : QString());
                QCOMPARE(TextOf(Slot<RichTextControl>(w, TSessionArea::SlotRE2, r)),
                         r < matches ? QStringLiteral("m%1").arg(r + 1) : QString());
            }
        }
        if (kind == Matching) {
            // Both texts of a pair get about the same width.
            const int left = Slot<QWidget>(w, TSessionArea::SlotRE1, 0)->width();
            const int right = Slot<QWidget>(w, TSessionArea::SlotRE2, 0)->width();
            QVERIFY2(qAbs(left - right) <= 12, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }

    // Leaving a task by skipping and coming back shows it as the pupil left it: the ranks, the point
    // on the picture, the typed number, with the check available; nothing was scored meanwhile.
    void ReturningTaskKeepsItsAnswer() {
        MainFormFixture f;
        const QList<Case> cases = Cases();
        TStudentMainForm& w = Begin(f, WriteTasks(f, {cases[2].task, cases[7].task, cases[5].task}, true));
        QCOMPARE(w.SessionEngine().CurrentTask()->Kind, Ordering);
        Give(w, Ordering, cases[2].right);
        QList<QString> rows;
        for (int r = 0; r < 4; ++r)
            rows.append(TextOf(Slot<RichTextControl>(w, TSessionArea::SlotRE1, r)));
        w.SessionEngine().SkipTask();
        QCOMPARE(w.SessionEngine().CurrentTask()->Kind, PointOnPicture);
        // The scroll box starts at the top left, and the marker sits centred on the click.
        auto* scroll = w.findChild<QScrollArea*>(QStringLiteral("ScrollBox"));
        QCOMPARE(scroll->horizontalScrollBar()->value(), 0);
        QCOMPARE(scroll->verticalScrollBar()->value(), 0);
        Give(w, PointOnPicture, cases[7].right);
        auto* marker = w.findChild<QWidget*>(QStringLiteral("ShapePoint"));
        QVERIFY(marker->isVisible());
        const QRect placed = marker->geometry();
        QCOMPARE(placed.center(),
                 cases[7].right.point + w.findChild<QLabel*>(QStringLiteral("Image"))->pos());
        QCOMPARE(w.SessionWindow().CurrentAnswer().point, cases[7].right.point);
        w.SessionEngine().SkipTask();
        Give(w, InputNum, cases[5].right);
        w.SessionEngine().SkipTask();

        QCOMPARE(w.SessionEngine().CurrentTask()->Kind, Ordering);
        const TResultTest* result = w.SessionEngine().Result();
        QCOMPARE(result->RightCount + result->WrongCount, 0);
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(TextOf(Slot<RichTextControl>(w, TSessionArea::SlotRE1, r)), rows[r]);
            QCOMPARE(List(w, r)->currentIndex(), cases[2].right.rows[r]);
        }
        QVERIFY(w.Area().GoCheckButton()->isEnabled());
        w.SessionEngine().SkipTask();
        QVERIFY(marker->isVisible());
        QCOMPARE(marker->geometry(), placed);
        QCOMPARE(w.SessionWindow().CurrentAnswer().point, cases[7].right.point);
        QVERIFY(w.Area().GoCheckButton()->isEnabled());
        w.SessionEngine().SkipTask();
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("EditInputNum"))->text(), QStringLiteral("1,5"));
        QVERIFY(w.Area().GoCheckButton()->isEnabled());
        // Confirmed now, as it stands.
        w.Area().GoCheckButton()->click();
        QCOMPARE(result->RightCount, 1);
    }

    // The picture of a point task is seen whole where the window has the room: the wording gives
    // up height for it, and the next task gives the pupil's division of the window back.
    void PointPictureFits() {
        MainFormFixture f;
        const QList<Case> cases = Cases();
        TStudentMainForm& w = Begin(f, WriteTasks(f, {cases[0].task, cases[7].task}));
        w.resize(1000, 640);
        QTRY_COMPARE(w.height(), 640);
        auto* splitter = w.findChild<QSplitter*>(QStringLiteral("Splitter2"));
        const QList<int> before = splitter->sizes();
        Give(w, SingleChoice, cases[0].right);
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.SessionEngine().CurrentTask()->Kind, PointOnPicture);
        auto* scroll = w.findChild<QScrollArea*>(QStringLiteral("ScrollBox"));
        QVERIFY2(scroll->viewport()->height() >= 300,
                 qPrintable(QString::number(scroll->viewport()->height())));
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        QVERIFY(w.findChild<QWidget*>(QStringLiteral("PanelQuestion"))->height() >= 160);
        Give(w, PointOnPicture, cases[7].right);
        w.Area().GoCheckButton()->click();
        QCOMPARE(splitter->sizes(), before);
    }

    // A point-on-picture task on a metafile: the picture at its natural size, the point and the right
    // area in the picture's own pixels, as with a bitmap.
    void PointOnMetafilePicture() {
        MainFormFixture f;
        TTask point = MakeTask(PointOnPicture, u"Вкажіть на малюнку червоний квадрат.", {}, {});
        point.Picture = "picture.wmf";
        point.Area = {RedSquare.left(), RedSquare.top(), RedSquare.width(), RedSquare.height()};
        TStudentMainForm& w = Begin(f, WriteTasks(f, {point}));
        auto* image = w.findChild<PictureLabel*>(QStringLiteral("Image"));
        QVERIFY(image->CurrentPicture().IsVector());
        QCOMPARE(image->size(), QSize(400, 300));
        QCOMPARE(image->grab().toImage().pixelColor(RedSquare.center()), QColor(220, 30, 30));
        Give(w, PointOnPicture, {{}, {}, QPoint(280, 150)});
        QCOMPARE(w.SessionWindow().CurrentAnswer().point, QPoint(280, 150));
        QVERIFY(w.Area().GoCheckButton()->isEnabled());
        w.Area().GoCheckButton()->click();
        QCOMPARE(w.SessionEngine().Result()->GetTaskPoints(0), 1);
        QCOMPARE(w.SessionEngine().Result()->GetTaskAnswer(0), QByteArray("x=280; y=150"));
    }

    // Formulas in a wording and in a variant are drawn from their metafiles, not left grey.
    void FormulasInTexts() {
        MainFormFixture f;
        TTask task = MakeTask(SingleChoice, u"", {u"", u"1"}, {1, 0});
        task.Question = FormulaWording(u"Розв'яжіть рівняння:"_qs, 0);
        task.Variants[0] = FormulaWording(u"Відповідь:"_qs, 5);
        TStudentMainForm& w = Begin(f, WriteTasks(f, {task}));
        for (auto* text : {w.findChild<RichTextControl*>(QStringLiteral("QuestionText")),
                           Slot<RichTextControl>(w, TSessionArea::SlotRE1, 0)}) {
            int vectors = 0;
            for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next())
                for (auto it = b.begin(); !it.atEnd(); ++it)
                    vectors += PictureText::VectorOf(it.fragment().charFormat()) != nullptr;
            QCOMPARE(vectors, 1);
        }
    }

    // The metafile tasks for looking at, when QUIZAR_SHOTS names a folder.
    void MetafileScreenshots() {
        const QString folder = qEnvironmentVariable("QUIZAR_SHOTS");
        if (folder.isEmpty())
            QSKIP("QUIZAR_SHOTS is not set");
        QDir().mkpath(folder);
        MainFormFixture f;
        TTask formula = MakeTask(SingleChoice, u"", {u"", u"", u"1"}, {1, 0, 0});
        formula.Question = FormulaWording(u"Розв'яжіть рівняння:"_qs, 0);
        formula.Variants[0] = FormulaWording(u""_qs, 5);
        formula.Variants[1] = FormulaWording(u""_qs, 1);
        TTask point = MakeTask(PointOnPicture, u"Вкажіть на малюнку червоний квадрат.", {}, {});
        point.Picture = "picture.wmf";
        point.Area = {RedSquare.left(), RedSquare.top(), RedSquare.width(), RedSquare.height()};
        TTask pictured = MakeTask(SingleChoice, u"Що зображено на малюнку?", {u"Коло", u"Квадрат"}, {1, 0});
        pictured.Picture = "picture.wmf";
        TStudentMainForm& w = Begin(f, WriteTasks(f, {formula, pictured, point}));
        auto shoot = [&](const QString& name) {
            QTest::qWait(200);
            w.grab().save(QDir(folder).filePath(name + ".png"));
        };
        shoot(QStringLiteral("metafile-formula"));
        for (int step = 0; step < 10; ++step) // to 200 %
            w.Action(QStringLiteral("aZoomUp"))->trigger();
        shoot(QStringLiteral("metafile-formula-zoomed"));
        w.Action(QStringLiteral("aZoomNormal"))->trigger();
        Give(w, SingleChoice, {{0}, {}, {}});
        w.Area().GoCheckButton()->click();
        shoot(QStringLiteral("metafile-task-picture"));
        Give(w, SingleChoice, {{0}, {}, {}});
        w.Area().GoCheckButton()->click();
        Give(w, PointOnPicture, {{}, {}, QPoint(280, 150)});
        shoot(QStringLiteral("metafile-point-on-picture"));
    }

    // Pictures of the answer area for looking at, when QUIZAR_SHOTS names a folder.
    void Screenshots() {
        const QString folder = qEnvironmentVariable("QUIZAR_SHOTS");
        if (folder.isEmpty())
            QSKIP("QUIZAR_SHOTS is not set");
        QDir().mkpath(folder);
        MainFormFixture f;
        const QList<Case> cases = Cases();
        std::vector<TTask> tasks;
        for (const Case& c : cases)
            tasks.push_back(c.task);
        TStudentMainForm& w = Begin(f, WriteTasks(f, tasks));
        auto shoot = [&](const QString& name) {
            QTest::qWait(200);
            w.grab().save(QDir(folder).filePath(name + ".png"));
        };
        int shown = 0;
        f.prompts.duringPrompt = [&] { shoot(QStringLiteral("kind%1-feedback").arg(shown)); };
        for (int step = 0; step < cases.size(); ++step) {
            const TTask* task = w.SessionEngine().CurrentTask();
            const Case& c = cases[int(task - w.Loaded()->tasks.data())];
            shown = task->Kind;
            shoot(QStringLiteral("kind%1-blank").arg(shown));
            if (shown == Ordering) {
                // Two equal ranks: marked, and the check stays disabled.
                Choose(List(w, 0), 0);
                Choose(List(w, 1), 0);
                shoot(QStringLiteral("kind3-equal-ranks"));
            }
            Give(w, task->Kind, c.wrong);
            shoot(QStringLiteral("kind%1-answered").arg(shown));
            w.Area().GoCheckButton()->click();
        }
    }
};

QTEST_MAIN(TestAnswerArea)
#include "tst_answerarea.moc"
