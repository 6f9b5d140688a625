#include "EndSummary.h"

#include "RichWriter.h"
#include "results/ResultFormat.h"

#include "model/ResultTest.h"
#include "model/Test.h"
#include "model/TextCodec.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QTextDocument>

namespace {

QString EndLine(quint8 endReason, const QString& title) {
    switch (TestEnd(endReason)) {
    case TestEnd::AllAnswered:
        return QStringLiteral("Тест \"%1\" закончен...").arg(title);
    case TestEnd::Stopped:
        return QStringLiteral("Тест \"%1\" остановлен...").arg(title);
    case TestEnd::TimeUp:
        return QStringLiteral("Тест \"%1\" закончен - вышло время...").arg(title);
    case TestEnd::ProgramClosed:
        return QStringLiteral("Тест \"%1\" прерван - закрыта программа...").arg(title);
    default:
        return QString(); // a record that never finished has no end line
    }
}

} // namespace

void WriteEndSummary(QTextDocument& doc, const TTest& test, const TResultTest& r, bool showUserResult,
                     const QLocale& locale) {
    RichWriter w(doc);
    const QColor red = QColor::fromRgb(SummaryColours::Red);
    auto pct = [&](double value) { return OneDecimal(value, locale); };

    w.AddStyle(RichWriter::Bold);
    w.AddLine(EndLine(r.EndReason, TextCodec::FromCp1251(test.Title)));
    w.RemoveStyle(RichWriter::Bold);
    w.AddLine(QStringLiteral("Всего заданий в тесте: %1. Вами выполнено заданий: %2.")
                  .arg(r.AskCount)
                  .arg(r.AskedCount));
    if (showUserResult) {
        w.AddLine(QStringLiteral("Из них правильно: %1 (%2% выполненых заданий).")
                      .arg(r.RightCount)
                      .arg(pct(SharePercent(qint64(r.RightCount), r.AskedCount))));
        w.AddLine(QStringLiteral("Из них ошибок: %1 (%2% выполненых заданий).")
                      .arg(r.WrongCount)
                      .arg(pct(SharePercent(qint64(r.WrongCount), r.AskedCount))));
        if (r.DontKnowCount > 0)
            w.AddLine(QStringLiteral("Пропущено: %1 (%2% всех заданий).")
                          .arg(r.DontKnowCount)
                          .arg(pct(SharePercent(qint64(r.DontKnowCount), r.AskCount))));
        w.AddLine(QStringLiteral("Результативность: %1%.")
                      .arg(pct(SharePercent(qint64(r.RightCount), r.AskCount))));
        if (r.HintCount > 0)
            w.AddLine(QStringLiteral("Использовано подсказок: %1.").arg(r.HintCount));
        w.AddStyle(RichWriter::Bold);
        w.AddLine(QStringLiteral("Набрано баллов: %1 из %2 возможных. Ваш результат: %3%.")
                      .arg(pct(r.Score))
                      .arg(r.MaxScore)
                      .arg(pct(SharePercent(r.Score, r.MaxScore))));
        w.RemoveStyle(RichWriter::Bold);
        w.AddStyle(RichWriter::Bold);
        w.SetColour(red);
        const QString mark =
            r.MarkName.isEmpty() ? QString::number(r.Mark) : TextCodec::FromCp1251(r.MarkName);
        w.AddLine(QStringLiteral("Оценка: %1.").arg(mark));
        w.ResetColour();
        w.RemoveStyle(RichWriter::Bold);
    } else {
        w.AddStyle(RichWriter::Bold);
        w.SetColour(red);
        w.AddLine(QStringLiteral("Результаты тестирования Вы можете узнать у руководителя."));
        w.ResetColour();
        w.RemoveStyle(RichWriter::Bold);
    }
    w.AddLine(QStringLiteral("Время начала: %1.").arg(StoredTimeOfDay(r.StartTime)));
    w.AddLine(QStringLiteral("Время завершения: %1.").arg(StoredTimeOfDay(r.EndTime)));
    w.AddLine(QStringLiteral("Продолжительность: %1.").arg(WrappedDuration(r.ElapsedSeconds)));
}

void ShowEndSummary(RichTextControl& questionText, const TTest& test, const TResultTest& result,
                    bool showUserResult, const QLocale& locale) {
    QWidget* window = questionText.window();
    const bool updates = window->updatesEnabled();
    window->setUpdatesEnabled(false);
    ClearRichText(questionText);
    questionText.SetPlainTextMode(false);
    WriteEndSummary(*questionText.document(), test, result, showUserResult, locale);
    questionText.ZoomNewContent();
    window->setUpdatesEnabled(updates);
    questionText.moveCursor(QTextCursor::Start);
    questionText.ensureCursorVisible();
}
