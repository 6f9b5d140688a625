// Evaluating one answer per task kind, the education-mode feedback, the points of one task and
// the grade of a session.
#include "model/Test.h"
#include "model/TextCodec.h"
#include "session/Evaluation.h"
#include "session/Scoring.h"
#include "settings/Settings.h"

#include <QTest>

namespace {
QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

TTask RowTask(int kind, const QList<qint32>& keys, int weight = 1) {
    TTask t(kind);
    t.Weight = weight;
    for (int i = 0; i < keys.size(); ++i) {
        t.Variants[size_t(i)] = "v" + QByteArray::number(i + 1);
        t.Keys[size_t(i)] = keys[i];
    }
    return t;
}

QList<qint32> Identity(int n) {
    QList<qint32> order;
    for (int i = 0; i < n; ++i)
        order.append(i);
    return order;
}

TaskAnswer Chosen(int row) {
    TaskAnswer a;
    a.chosenRow = row;
    return a;
}
TaskAnswer Ticked(const QList<bool>& rows) {
    TaskAnswer a;
    a.ticked = rows;
    return a;
}
TaskAnswer Indexes(const QList<int>& rows) {
    TaskAnswer a;
    a.chosenIndex = rows;
    return a;
}
TaskAnswer Typed(const QString& text) {
    TaskAnswer a;
    a.text = Cp(text);
    return a;
}
TaskAnswer Point(std::optional<QPoint> p) {
    TaskAnswer a;
    a.point = p;
    return a;
}

const QLocale Comma(QLocale::Ukrainian, QLocale::Ukraine);
} // namespace

using Order = QList<qint32>;
Q_DECLARE_METATYPE(TTask)
Q_DECLARE_METATYPE(TaskAnswer)

class TestEvaluation : public QObject {
    Q_OBJECT

private slots:
    void rowKinds_data() {
        QTest::addColumn<TTask>("task");
        QTest::addColumn<Order>("order");
        QTest::addColumn<TaskAnswer>("answer");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("matches");
        QTest::addColumn<int>("mismatches");
        QTest::addColumn<QString>("text");

        const TTask single = RowTask(SingleChoice, {0, 1, 0});
        QTest::newRow("single right") << single << Identity(3) << Chosen(1) << true << 0 << 0 << "2";
        QTest::newRow("single wrong") << single << Identity(3) << Chosen(0) << false << 0 << 0 << "1";
        QTest::newRow("single none") << single << Identity(3) << Chosen(-1) << false << 0 << 0 << "";
        QTest::newRow("single shuffled") << single << Order{2, 0, 1} << Chosen(2) << true << 0 << 0 << "2";
        QTest::newRow("single two keys never right")
            << RowTask(SingleChoice, {1, 1}) << Identity(2) << Chosen(0) << false << 0 << 0 << "1";

        const TTask multiple = RowTask(MultipleChoice, {1, 1, 0, 0});
        QTest::newRow("multiple one of two")
            << multiple << Identity(4) << Ticked({false, true, false, false}) << false << 3 << 1 << "2;";
        QTest::newRow("multiple A and C")
            << multiple << Identity(4) << Ticked({true, false, true, false}) << false << 2 << 2 << "1;3;";
        QTest::newRow("multiple right, display order")
            << multiple << Order{3, 2, 1, 0} << Ticked({false, false, true, true}) << true << 4 << 0
            << "2;1;";

        const TTask ordering = RowTask(Ordering, {2, 1, 3});
        QTest::newRow("ordering nothing chosen")
            << ordering << Identity(3) << Indexes({-1, -1, -1}) << false << 0 << 3 << "1-0;2-0;3-0;";
        QTest::newRow("ordering right, shuffled")
            << ordering << Order{2, 0, 1} << Indexes({2, 1, 0}) << true << 3 << 0 << "1-2;2-1;3-3;";
        QTest::newRow("ordering two right")
            << ordering << Identity(3) << Indexes({1, 2, 2}) << false << 2 << 1 << "1-2;2-3;3-3;";

        const TTask matching = RowTask(Matching, {3, 1});
        QTest::newRow("matching right")
            << matching << Identity(2) << Indexes({2, 0}) << true << 2 << 0 << "1-3;2-1;";
        QTest::newRow("matching one wrong")
            << matching << Order{1, 0} << Indexes({1, 2}) << false << 1 << 1 << "1-3;2-2;";

        const TTask trueFalse = RowTask(TrueFalse, {1, 2, 0});
        QTest::newRow("truefalse untouched row")
            << trueFalse << Identity(3) << Indexes({1, -1, 0}) << false << 1 << 0 << "1-Так;2-;3-;";
        QTest::newRow("truefalse empty item against key")
            << trueFalse << Identity(3) << Indexes({1, 0, 0}) << false << 1 << 0 << "1-Так;2-;3-;";
        QTest::newRow("truefalse right, key 0 left empty")
            << trueFalse << Identity(3) << Indexes({1, 2, 0}) << true << 2 << 0 << "1-Так;2-Ні;3-;";
        QTest::newRow("truefalse wrong answer")
            << trueFalse << Identity(3) << Indexes({2, 2, 1}) << false << 1 << 2 << "1-Ні;2-Ні;3-Так;";
        QTest::newRow("no variants") << RowTask(MultipleChoice, {}) << Order{} << TaskAnswer{} << true << 0
                                     << 0 << "";
    }
    void rowKinds() {
        QFETCH(TTask, task);
        QFETCH(Order, order);
        QFETCH(TaskAnswer, answer);
        const Evaluation e = EvaluateAnswer(task, order, answer, Comma);
        QTEST(e.right, "right");
        QTEST(e.matches, "matches");
        QTEST(e.mismatches, "mismatches");
        QTEST(TextCodec::FromCp1251(e.answerText), "text");
    }

    void typedAndPointKinds_data() {
        QTest::addColumn<TTask>("task");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<TaskAnswer>("answer");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("text");

        TTask number(InputNum);
        number.NumValue = 0.1;
        QTest::newRow("number with comma") << number << Comma << Typed("0,1") << true << "0,1";
        QTest::newRow("number trailing zero") << number << Comma << Typed("0,10") << true << "0,10";
        QTest::newRow("number other value") << number << Comma << Typed("0,11") << false << "0,11";
        TTask zero(InputNum);
        QTest::newRow("empty is wrong even for 0") << zero << Comma << Typed("") << false << "";
        QTest::newRow("not a number reads as 0") << zero << Comma << Typed("abc") << true << "abc";
        TTask fifteen(InputNum);
        fifteen.NumValue = 15;
        QTest::newRow("group separator is no decimal point")
            << fifteen << QLocale(QLocale::German, QLocale::Germany) << Typed("1.5") << false << "1.5";
        TTask range(InputNum);
        range.NumIsRange = true;
        range.NumFrom = 1;
        range.NumTo = 2;
        QTest::newRow("range edge") << range << Comma << Typed("2") << true << "2";
        QTest::newRow("range outside") << range << Comma << Typed("-2,5") << false << "-2,5";

        TTask text(InputText);
        text.TextAnswers = Cp("Київ\r\nKyiv\r\n");
        QTest::newRow("text any case, Ukrainian letters") << text << Comma << Typed("КИЇВ") << true << "КИЇВ";
        QTest::newRow("text second line") << text << Comma << Typed("kYIV") << true << "kYIV";
        // Blanks at the ends are no part of the answer (it is recorded as typed); inside they are.
        QTest::newRow("text trailing blank") << text << Comma << Typed("Kyiv ") << true << "Kyiv ";
        QTest::newRow("text leading blanks") << text << Comma << Typed("  Київ") << true << "  Київ";
        QTest::newRow("text blank inside") << text << Comma << Typed("Ки їв") << false << "Ки їв";
        TTask padded(InputText);
        padded.TextAnswers = Cp("Київ  \r\n");
        QTest::newRow("text accepted line with a blank")
            << padded << Comma << Typed("київ") << true << "київ";
        QTest::newRow("text empty after final line break") << text << Comma << Typed("") << false << "";
        TTask exact = text;
        exact.CaseSensitive = true;
        QTest::newRow("text case sensitive") << exact << Comma << Typed("kyiv") << false << "kyiv";
        QTest::newRow("text case sensitive right") << exact << Comma << Typed("Kyiv") << true << "Kyiv";

        TTask point(PointOnPicture);
        point.Area = {10, 20, 100, 50};
        QTest::newRow("point on the far corner")
            << point << Comma << Point(QPoint(110, 70)) << true << "x=110; y=70";
        QTest::newRow("point just outside")
            << point << Comma << Point(QPoint(111, 70)) << false << "x=111; y=70";
        QTest::newRow("point never set") << point << Comma << Point(std::nullopt) << false << "";
    }
    void typedAndPointKinds() {
        QFETCH(TTask, task);
        QFETCH(QLocale, locale);
        QFETCH(TaskAnswer, answer);
        const Evaluation e = EvaluateAnswer(task, {}, answer, locale);
        QTEST(e.right, "right");
        QTEST(TextCodec::FromCp1251(e.answerText), "text");
    }

    void feedbackForRowKinds() {
        const TSettings s;
        const TTask multiple = RowTask(MultipleChoice, {1, 1, 0, 0});
        Feedback f = BuildFeedback(multiple, Identity(4), Ticked({true, false, true, false}), s, Comma);
        QCOMPARE(f.rows.size(), 4);
        const QList<QString> signs = {f.rows[0].sign, f.rows[1].sign, f.rows[2].sign, f.rows[3].sign};
        QCOMPARE(signs, (QList<QString>{"+", "+", "-", "-"}));
        QCOMPARE(f.rows[0].variantColour, std::optional(s.ColorCorrect)); // chosen and right
        QCOMPARE(f.rows[1].variantColour, std::optional(s.ColorCorrect)); // right, not chosen
        QCOMPARE(f.rows[2].variantColour, std::optional(s.ColorError));   // chosen, wrong
        QCOMPARE(f.rows[3].variantColour, std::nullopt);
        QCOMPARE(f.message, QStringLiteral("Неправильно...\r\n"));
        QVERIFY(!f.offerExplanation);

        TTask matching = RowTask(Matching, {2, 1, 11});
        matching.Matches[0] = "a";
        matching.Matches[1] = "b";
        matching.Matches[2] = "c";
        matching.Matches[3] = "d";
        matching.Explanation = "why";
        f = BuildFeedback(matching, Order{1, 0, 2}, Indexes({0, 0, -1}), s, Comma);
        QCOMPARE(f.rows[0].sign, QStringLiteral("1"));
        QCOMPARE(f.rows[0].variantColour, std::optional(s.ColorCollation[0]));
        QCOMPARE(f.rows[0].listColour, std::optional(s.ColorCorrect));
        QCOMPARE(f.rows[1].variantColour, std::optional(s.ColorCollation[1]));
        QCOMPARE(f.rows[1].listColour, std::optional(s.ColorError));
        QCOMPARE(f.rows[2].variantColour, std::nullopt); // key outside the colour table
        // One colour per row of variants: the fourth right-hand item has no row of its own.
        QCOMPARE(f.matchColours.size(), 3);
        QCOMPARE(f.matchColours[2], std::optional(s.ColorCollation[2]));
        QVERIFY(f.offerExplanation);
        QCOMPARE(ExplanationQuestion(f.message), QStringLiteral("Неправильно...\r\n\r\nПоказать пояснения?"));

        const TTask ordering = RowTask(Ordering, {2, 1});
        f = BuildFeedback(ordering, Identity(2), Indexes({1, 1}), s, Comma);
        QCOMPARE(f.rows[0].sign, QStringLiteral("2"));
        QCOMPARE(f.rows[0].listColour, std::optional(s.ColorCorrect));
        QCOMPARE(f.rows[1].variantColour, std::optional(s.ColorError));

        const TTask trueFalse = RowTask(TrueFalse, {1, 2});
        f = BuildFeedback(trueFalse, Identity(2), Indexes({1, -1}), s, Comma);
        QCOMPARE(f.rows[0].sign, QStringLiteral("+"));
        QCOMPARE(f.rows[1].sign, QStringLiteral("-"));
        QCOMPARE(f.rows[1].listColour, std::optional(s.ColorError));
    }

    void feedbackRightAnswerTexts() {
        const TSettings s;
        TTask number(InputNum);
        number.NumValue = 0.1;
        QCOMPARE(BuildFeedback(number, {}, {}, s, Comma).message,
                 QStringLiteral("Неправильно...\r\nВерный ответ: 0,1."));
        number.NumValue = 1234567.5;
        QCOMPARE(BuildFeedback(number, {}, {}, s, Comma).rightAnswer,
                 QStringLiteral("Верный ответ: 1234567,5."));
        number.NumIsRange = true;
        number.NumFrom = 0.5;
        number.NumTo = 1.25;
        QCOMPARE(BuildFeedback(number, {}, {}, s, Comma).rightAnswer,
                 QStringLiteral("Верный ответ в диапазоне от 0,5 до 1,25."));
        TTask text(InputText);
        text.TextAnswers = Cp("Київ \r\nKyiv");
        QCOMPARE(BuildFeedback(text, {}, {}, s, Comma).message,
                 QStringLiteral("Неправильно...\r\nВерный ответ: \"Київ\"."));
        TTask point(PointOnPicture);
        point.Area = {1, 2, 3, 4};
        const Feedback f = BuildFeedback(point, {}, {}, s, Comma);
        QCOMPARE(f.area, std::optional(point.Area));
        QVERIFY(f.rightAnswer.isEmpty());
    }

    void scoreTask_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("variants");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("matches");
        QTest::addColumn<int>("mismatches");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("penalise");
        QTest::addColumn<int>("hint");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("points");
        QTest::addColumn<QList<int>>("counts"); // right, wrong, don't know, hints

        using C = QList<int>;
        QTest::newRow("multiple A+C partial")
            << 2 << 3 << 4 << true << false << 2 << 2 << false << false << -1 << 1.5 << 0 << C{0, 1, 0, 0};
        QTest::newRow("multiple A+C partial penalised")
            << 2 << 3 << 4 << true << false << 2 << 2 << false << true << -1 << 0.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("multiple A+C whole")
            << 2 << 3 << 4 << true << false << 2 << 2 << true << false << -1 << 0.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("multiple A+C whole penalised")
            << 2 << 3 << 4 << true << false << 2 << 2 << true << true << -1 << -3.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("ordering three of five")
            << 3 << 5 << 5 << true << false << 3 << 2 << false << false << -1 << 3.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("truefalse 2 right 1 wrong 1 empty")
            << 5 << 4 << 4 << true << false << 2 << 1 << false << false << -1 << 2.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("truefalse penalised")
            << 5 << 4 << 4 << true << false << 2 << 1 << false << true << -1 << 1.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("single is all or nothing")
            << 1 << 4 << 4 << true << false << 0 << 0 << false << true << -1 << -4.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("text is all or nothing")
            << 7 << 2 << 0 << true << false << 0 << 0 << false << false << -1 << 0.0 << 0 << C{0, 1, 0, 0};
        QTest::newRow("right with hint 2")
            << 1 << 5 << 3 << true << true << 0 << 0 << true << false << 2 << 3.0 << 5 << C{1, 0, 0, 1};
        QTest::newRow("don't know with hint 2")
            << 1 << 5 << 3 << false << false << 0 << 0 << true << true << 2 << -2.0 << 0 << C{0, 0, 1, 1};
        QTest::newRow("free hint") << 6 << 5 << 0 << true << true << 0 << 0 << true << false << 0 << 5.0 << 5
                                   << C{1, 0, 0, 1};
        QTest::newRow("no variants, no share")
            << 2 << 3 << 0 << true << false << 0 << 0 << false << true << -1 << 0.0 << 0 << C{0, 1, 0, 0};
    }
    void scoreTask() {
        QFETCH(int, kind);
        QFETCH(int, weight);
        QFETCH(int, variants);
        QFETCH(bool, answered);
        QFETCH(bool, right);
        QFETCH(int, matches);
        QFETCH(int, mismatches);
        QFETCH(bool, whole);
        QFETCH(bool, penalise);
        QFETCH(int, hint);
        QFETCH(QList<int>, counts);
        TTask task(kind);
        task.Weight = weight;
        for (int i = 0; i < variants; ++i)
            task.Variants[size_t(i)] = "v";
        TResultTest r(3);
        r.SetTaskHintPenalty(1, hint);
        ScoreTask(r, task, 1, answered, right, matches, mismatches, {whole, penalise});
        QTEST(r.Score, "score");
        QTEST(r.GetTaskPoints(1), "points");
        QCOMPARE((QList<int>{r.RightCount, r.WrongCount, r.DontKnowCount, r.HintCount}), counts);
        QCOMPARE(r.CheckedMax, weight);
        QCOMPARE(r.GetTaskPoints(0), -1); // other tasks untouched
    }

    void gradeResult_data() {
        QTest::addColumn<int>("maxScore");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("mark");
        QTest::newRow("70 percent") << 20 << 14.0 << 4;
        QTest::newRow("84.5 percent") << 20 << 16.9 << 4;
        QTest::newRow("85 percent") << 20 << 17.0 << 5;
        QTest::newRow("just under 50") << 20 << 9.99 << 2;
        QTest::newRow("50 percent") << 20 << 10.0 << 3;
        QTest::newRow("zero") << 20 << 0.0 << 2;
        QTest::newRow("negative") << 20 << -1.0 << 0;
        QTest::newRow("nothing to earn") << 0 << 0.0 << 2;
        QTest::newRow("nothing to earn, penalised") << 0 << -2.0 << 2;
    }
    void gradeResult() {
        QFETCH(int, maxScore);
        QFETCH(double, score);
        TResultTest r;
        r.MaxScore = maxScore;
        r.Score = score;
        GradeResult(r, TTest::DefaultMarks());
        QTEST(r.Mark, "mark");
        QVERIFY(r.MarkName.isEmpty());
        QCOMPARE(r.MarkCount, 5);
        QVERIFY(qIsFinite(ScorePercent(score, maxScore)));
    }

    void gradeUsesTheLastQualifyingMarkAndItsName() {
        TResultTest r;
        r.MaxScore = 10;
        r.Score = 6;
        GradeResult(r, {{12, 50, "good"}, {11, 0, "weak"}, {13, 90, "top"}});
        QCOMPARE(r.Mark, 11); // stored order, not the highest percent
        QCOMPARE(r.MarkName, QByteArray("weak"));
        QCOMPARE(r.MarkCount, 3);
    }
};

QTEST_GUILESS_MAIN(TestEvaluation)
#include "tst_evaluation.moc"
