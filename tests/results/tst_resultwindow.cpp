#include "model/ResultTest.h"
#include "model/TextCodec.h"
#include "results/ResultChart.h"
#include "results/gui/ShowResultForm.h"

#include <QLabel>
#include <QTest>

#include <cmath>
#include <numbers>

namespace {

const QLocale Comma(QLocale::Ukrainian, QLocale::Ukraine);

TResultTest Session(qint32 ask, qint32 asked, qint32 right, double score, qint32 maxScore) {
    TResultTest r(ask);
    r.UserName = TextCodec::ToCp1251(u"Іван Петренко");
    r.UserGroup = "7-A";
    r.AskCount = ask;
    r.AskedCount = asked;
    r.RightCount = right;
    r.Score = score;
    r.MaxScore = maxScore;
    r.Mark = 5;
    return r;
}

// Clockwise from 12 o'clock, in degrees, of a point of a box.
double Clockwise(QPoint p, QSize box) {
    const double dx = p.x() - box.width() / 2;
    const double dy = p.y() - box.height() / 2;
    double a = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
    return a < 0 ? a + 360.0 : a;
}

// The colour of a chart at `degrees` clockwise from 12 o'clock, half-way out from the centre.
QColor ChartColourAt(QWidget* chart, double degrees) {
    const QImage image = chart->grab().toImage();
    const double r = chart->width() / 4.0;
    const double a = degrees * std::numbers::pi / 180.0;
    return image.pixelColor(qRound(chart->width() / 2.0 + r * std::sin(a)),
                            qRound(chart->height() / 2.0 - r * std::cos(a)));
}

} // namespace

class TestResultWindow : public QObject {
    Q_OBJECT
private slots:
    void chartPercentRoundsHalvesToEven_data() {
        QTest::addColumn<double>("part");
        QTest::addColumn<double>("whole");
        QTest::addColumn<int>("percent");
        QTest::newRow("2.5 -> 2") << 2.5 << 100.0 << 2;
        QTest::newRow("3.5 -> 4") << 3.5 << 100.0 << 4;
        QTest::newRow("0.5 -> 0") << 0.5 << 100.0 << 0;
        QTest::newRow("2 of 3") << 2.0 << 3.0 << 67;
        QTest::newRow("8 of 10") << 8.0 << 10.0 << 80;
        QTest::newRow("penalties below zero") << -1.0 << 10.0 << -10;
        QTest::newRow("nothing to earn") << 3.0 << 0.0 << 0;
    }
    void chartPercentRoundsHalvesToEven() {
        QFETCH(double, part);
        QFETCH(double, whole);
        QFETCH(int, percent);
        QCOMPARE(ChartPercent(part, whole), percent);
    }

    void wedgesRunClockwiseFromNoon() {
        const QSize box(75, 75);
        // 10 tasks, 6 right: the green wedge ends at 216 degrees; 8 asked: the red one at 288.
        const ChartWedge green = WedgeOf(60, box);
        QCOMPARE(green.end, QPoint(37, 0));
        QCOMPARE(green.start, QPoint(15, 67));
        QVERIFY(std::abs(Clockwise(green.start, box) - 216.0) < 1.0);
        QVERIFY(std::abs(green.spanDegrees - 216.0) < 1.0);
        const ChartWedge red = WedgeOf(80, box);
        QCOMPARE(red.start, QPoint(2, 26));
        QVERIFY(std::abs(red.spanDegrees - 288.0) < 1.0);
        // The whole turn: the radials meet and the full circle is filled; nothing draws nothing.
        const ChartWedge full = WedgeOf(100, box);
        QCOMPARE(full.start, full.end);
        QCOMPARE(full.spanDegrees, 360.0);
        QVERIFY(WedgeOf(0, box).IsEmpty());
        QVERIFY(WedgeOf(-10, box).IsEmpty());
        QCOMPARE(WedgeOf(130, box).spanDegrees, 360.0);
    }

    void showsTheSessionsFigures() {
        TShowResultForm form(nullptr, Comma);
        QCOMPARE(form.size(), QSize(428, 291));
        QCOMPARE(form.windowTitle(), u"Результати тесту"_qs);
        form.SetValues(Session(10, 8, 6, 7.5, 12));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), u"Результати тесування (Іван Петренко 7-A)"_qs);
        QCOMPARE(form.CountTaskLabel()->text(), u"10"_qs);
        QCOMPARE(form.CountAskTaskLabel()->text(), u"8"_qs);
        QCOMPARE(form.CountCorrectTaskLabel()->text(), u"6"_qs);
        QCOMPARE(form.ResultLabel()->text(), u"60,0%."_qs);
        QCOMPARE(form.YourScore()->text(), u"Набрано балів: 7,5 із 12 можливих.\nВаш результат: 62,5%."_qs);
        QCOMPARE(form.YourMark()->text(), u"Ваша оцінка: 5"_qs);
        QCOMPARE(form.PaintBox()->size(), QSize(75, 75));

        // Tasks chart: green 0-216, red 216-288, white beyond. Points chart: green to 225 (62.5 -> 62).
        const QColor green(0, 220, 0), red(220, 0, 0), white(255, 255, 255);
        QCOMPARE(ChartColourAt(form.PaintBox(), 100), green);
        QCOMPARE(ChartColourAt(form.PaintBox(), 250), red);
        QCOMPARE(ChartColourAt(form.PaintBox(), 320), white);
        QCOMPARE(ChartColourAt(form.PaintBox1(), 200), green);
        QCOMPARE(ChartColourAt(form.PaintBox1(), 240), red);
        form.close();

        // The next session: a grade name, a pupil without a group, a score below zero.
        TResultTest next = Session(4, 4, 0, -2, 4);
        next.UserName = "  Olena ";
        next.UserGroup.clear();
        next.MarkName = TextCodec::ToCp1251(u"незадовільно");
        form.SetValues(next);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), u"Результати тесування (Olena)"_qs);
        QCOMPARE(form.YourMark()->text(), u"Ваша оцінка: незадовільно"_qs);
        QCOMPARE(form.YourScore()->text(), u"Набрано балів: -2,0 із 4 можливих.\nВаш результат: -50,0%."_qs);
        QCOMPARE(ChartColourAt(form.PaintBox1(), 10), red);
        QCOMPARE(ChartColourAt(form.PaintBox(), 10), red);
        form.close();
    }

    void noTasksLeavesTheTextsAlone() {
        TShowResultForm form(nullptr, Comma);
        form.SetValues(Session(0, 0, 0, 0, 0));
        form.FormShow();
        QCOMPARE(form.windowTitle(), u"Результати тесту"_qs);
        QCOMPARE(form.ResultLabel()->text(), u"100,0%"_qs);
        QCOMPARE(form.YourMark()->text(), u"Ваша оцінка:"_qs);
    }
};

QTEST_MAIN(TestResultWindow)
#include "tst_resultwindow.moc"
