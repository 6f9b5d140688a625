#include "DocumentLines.h"
#include "model/DateTime.h"
#include "model/ResultTest.h"
#include "model/Test.h"
#include "model/TextCodec.h"
#include "results/gui/EndSummary.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QTest>

namespace {

const QLocale Comma(QLocale::Ukrainian, QLocale::Ukraine);
const QColor SummaryRed(220, 50, 50);

double At(int h, int m, int s) {
    return DateTimeToDouble(QDateTime(QDate(2026, 12, 8), QTime(h, m, s)));
}

// 10 tasks, 8 asked, 6 right, 7.5 of 12 points, 34 min 53 s.
TResultTest Finished() {
    TResultTest r(10);
    r.EndReason = 1;
    r.AskCount = 10;
    r.AskedCount = 8;
    r.RightCount = 6;
    r.WrongCount = 2;
    r.Score = 7.5;
    r.MaxScore = 12;
    r.Mark = 4;
    r.StartTime = At(9, 5, 7);
    r.EndTime = At(9, 40, 0);
    r.ElapsedSeconds = 34 * 60 + 53;
    return r;
}

} // namespace

class TestEndSummary : public QObject {
    Q_OBJECT
private slots:
    void linesOfAFinishedSession_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("showUserResult");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all answered, comma separator")
            << 0 << true
            << QStringList{u"Тест \"Алгебра\" закончен..."_qs,
                           u"Всего заданий в тесте: 10. Вами выполнено заданий: 8."_qs,
                           u"Из них правильно: 6 (75,0% выполненых заданий)."_qs,
                           u"Из них ошибок: 2 (25,0% выполненых заданий)."_qs,
                           u"Результативность: 60,0%."_qs,
                           u"Набрано баллов: 7,5 из 12 возможных. Ваш результат: 62,5%."_qs,
                           u"Оценка: 4."_qs,
                           u"Время начала: 09:05:07."_qs,
                           u"Время завершения: 09:40:00."_qs,
                           u"Продолжительность: 00:34:53."_qs,
                           QString()};
        // Nothing asked and nothing to earn: every share is 0,0 rather than a division fault. The
        // skipped and hint lines appear, the grade's name replaces its number, a day wraps.
        QTest::newRow("time out, nothing asked, skipped and hints")
            << 1 << true
            << QStringList{u"Тест \"Алгебра\" закончен - вышло время..."_qs,
                           u"Всего заданий в тесте: 3. Вами выполнено заданий: 0."_qs,
                           u"Из них правильно: 0 (0,0% выполненых заданий)."_qs,
                           u"Из них ошибок: 0 (0,0% выполненых заданий)."_qs,
                           u"Пропущено: 2 (66,7% всех заданий)."_qs,
                           u"Результативность: 0,0%."_qs,
                           u"Использовано подсказок: 1."_qs,
                           u"Набрано баллов: -0,5 из 0 возможных. Ваш результат: 0,0%."_qs,
                           u"Оценка: добре."_qs,
                           u"Время начала: 23:59:58."_qs,
                           u"Время завершения: 00:00:03."_qs,
                           u"Продолжительность: 01:00:05."_qs,
                           QString()};
        QTest::newRow("results kept from the pupil")
            << 2 << false
            << QStringList{u"Тест \"Алгебра\" прерван - закрыта программа..."_qs,
                           u"Всего заданий в тесте: 10. Вами выполнено заданий: 8."_qs,
                           u"Результаты тестирования Вы можете узнать у руководителя."_qs,
                           u"Время начала: 09:05:07."_qs,
                           u"Время завершения: 09:40:00."_qs,
                           u"Продолжительность: 00:34:53."_qs,
                           QString()};
    }
    void linesOfAFinishedSession() {
        QFETCH(int, variant);
        QFETCH(bool, showUserResult);
        QFETCH(QStringList, expected);
        TTest test{QString(), QString(), QDateTime()};
        test.Title = TextCodec::ToCp1251(u"Алгебра");
        TResultTest r = Finished();
        if (variant == 1) {
            r.EndReason = 3;
            r.AskCount = 3;
            r.AskedCount = r.RightCount = r.WrongCount = 0;
            r.DontKnowCount = 2;
            r.HintCount = 1;
            r.Score = -0.5;
            r.MaxScore = 0;
            r.MarkName = TextCodec::ToCp1251(u"добре");
            r.StartTime = At(23, 59, 58);
            r.EndTime = DateTimeToDouble(QDateTime(QDate(2026, 12, 9), QTime(0, 0, 3)));
            r.ElapsedSeconds = 86400 + 3605;
        } else if (variant == 2) {
            r.EndReason = 4;
        }
        QTextDocument doc;
        WriteEndSummary(doc, test, r, showUserResult, Comma);
        const QList<DocLine> lines = LinesOf(doc);
        QCOMPARE(TextsOf(lines), expected);

        // Bold: the end line, the points line and the red line (grade or notice); the rest plain.
        const qsizetype red = showUserResult ? expected.size() - 5 : 2;
        for (qsizetype i = 0; i < lines.size() - 1; ++i) {
            const bool bold = i == 0 || i == red || (showUserResult && i == red - 1);
            QVERIFY2(IsBold(lines[i].format) == bold, qPrintable(lines[i].text));
            QCOMPARE(ColourOf(lines[i].format), i == red ? SummaryRed : QColor());
        }
    }

    void replacesTheQuestionText() {
        RichTextControl questionText;
        questionText.SetZoom(200);
        LoadRichText("{\\rtf1 {\\b\\fs48 old wording}}", questionText, false);
        TTest test{QString(), QString(), QDateTime()};
        test.Title = "T";
        ShowEndSummary(questionText, test, Finished(), true, QLocale::c());
        const QList<DocLine> lines = LinesOf(*questionText.document());
        QCOMPARE(lines.first().text, u"Тест \"T\" закончен..."_qs);
        QCOMPARE(lines[2].text, u"Из них правильно: 6 (75.0% выполненых заданий)."_qs);
        // Written at the control's zoom: the plain lines show the 12-point base font doubled.
        QCOMPARE(questionText.BasePointSize(lines[1].format), 12.0);
        QCOMPARE(questionText.document()->defaultFont().pointSizeF(), 24.0);
        QCOMPARE(questionText.textCursor().position(), 0);
        QVERIFY(questionText.window()->updatesEnabled());
    }
};

QTEST_MAIN(TestEndSummary)
#include "tst_endsummary.moc"
