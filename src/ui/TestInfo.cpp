#include "TestInfo.h"

#include "RichText.h"
#include "RichTextControl.h"
#include "TestInfoForm.h"
#include "TextViewForm.h"
#include "model/DateTime.h"
#include "model/TextCodec.h"

#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

namespace {

QString Text(const QByteArray& cp1251) {
    return TextCodec::FromCp1251(cp1251);
}

// The grades from the last to the first; grades at 0 per cent or less are not criteria.
void AddCriteria(const TestInfoData& test, QList<InfoLine>& lines) {
    lines.append({QStringLiteral("Критерии оценивания:"), false, true});
    for (qsizetype i = test.Marks.size() - 1; i >= 0; --i) {
        const TestInfoMark& m = test.Marks[i];
        if (m.Percent <= 0)
            continue;
        const QString name = m.Name.isEmpty() ? QString::number(m.Number) : Text(m.Name);
        lines.append(
            {QStringLiteral("  \"%1\" не менее %2% макс. баллов;").arg(name).arg(m.Percent), false, true});
    }
}

int AskTaskRule(const TestInfoData& test) {
    return test.AskTaskCount >= 1 && test.AskTaskCount < test.LoadedTaskCount ? test.AskTaskCount
                                                                              : test.LoadedTaskCount;
}

// "hh:nn:ss" as a time of day: a limit of a day or more wraps past 24 hours.
QString TimeOfDay(qint64 seconds) {
    const qint64 s = seconds % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QList<InfoLine> LoadedTestLines(const TestInfoData& test) {
    QList<InfoLine> lines;
    lines.append({QStringLiteral("Открыт тест: \"%1\"").arg(Text(test.Title)), true});
    const int count = test.UseThemes ? test.TotalAskCount : AskTaskRule(test);
    lines.append({QStringLiteral("Всего заданий в тесте: %1.").arg(count)});
    AddCriteria(test, lines);
    lines.append({QStringLiteral("Желаем выполнить все задания правильно...")});
    lines.append({QStringLiteral("Для начала прохождения теста дайте команду Тест -> Начать...")});
    return lines;
}

QList<InfoLine> TestInfoLines(const TestInfoData& test) {
    QList<InfoLine> lines;
    lines.append({QStringLiteral("Открыт тест: \"%1\"").arg(Text(test.Title)), true});
    lines.append({QStringLiteral("Всего заданий в тесте: %1.").arg(AskTaskRule(test))});
    AddCriteria(test, lines);
    if (!test.Author.isEmpty())
        lines.append({QStringLiteral("Автор теста: %1").arg(Text(test.Author))});
    if (!test.Description.isEmpty()) {
        lines.append({QStringLiteral("Описание теста:")});
        lines.append({Text(RichTextToPlain(test.Description))});
    }
    lines.append({test.RandomTaskOrder ? QStringLiteral("Порядок следования заданий: случайный.")
                                       : QStringLiteral("Порядок следования заданий: нормальный.")});
    lines.append({test.RandomVariantOrder ? QStringLiteral("Порядок следования вариантов: случайный.")
                                          : QStringLiteral("Порядок следования вариантов: нормальный.")});
    if (test.TestTimeLimit > 0)
        lines.append({QStringLiteral("%1: %2.").arg(QStringLiteral("Ограничение по времени для всего теста"),
                                                    TimeOfDay(test.TestTimeLimit))});
    lines.append({QString()});
    lines.append({QStringLiteral("UId теста: %1").arg(Text(test.UId)), false, false, true});
    lines.append({QStringLiteral("Тест создан: %1.").arg(FormatDateTime(DoubleToDateTime(test.Created))),
                  false, false, true});
    lines.append({QStringLiteral("Тест сохранен: %1.").arg(FormatDateTime(DoubleToDateTime(test.Saved))),
                  false, false, true});
    return lines;
}

void WriteInfoLines(RichTextControl& control, const QList<InfoLine>& lines, const QColor& hiddenColor,
                    bool detectLinks) {
    ClearRichText(control);
    QTextDocument* doc = control.document();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    bool first = true;
    for (const InfoLine& line : lines) {
        if (!first)
            cursor.insertBlock();
        first = false;
        QTextCharFormat format;
        if (line.bold)
            format.setFontWeight(QFont::Bold);
        if (line.italic)
            format.setFontItalic(true);
        if (line.hidden)
            format.setForeground(hiddenColor);
        QString text = line.text;
        text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
        cursor.insertText(text, format);
    }
    if (detectLinks) {
        static const QRegularExpression url(QStringLiteral(R"((?:https?://|ftp://|mailto:|www\.)[^\s<>"]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
        const QString all = doc->toRawText();
        for (auto it = url.globalMatch(all); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            QString target = m.captured();
            while (!target.isEmpty() && QStringLiteral(".,;:!?)").contains(target.back()))
                target.chop(1);
            QTextCursor link(doc);
            link.setPosition(int(m.capturedStart()));
            link.setPosition(int(m.capturedStart() + target.size()), QTextCursor::KeepAnchor);
            QTextCharFormat f;
            f.setAnchor(true);
            f.setAnchorHref(target.startsWith(QLatin1String("www."), Qt::CaseInsensitive)
                                ? QStringLiteral("http://") + target
                                : target);
            f.setFontUnderline(true);
            f.setForeground(control.palette().color(QPalette::Link));
            link.mergeCharFormat(f);
        }
    }
    cursor.endEditBlock();
    control.ZoomNewContent();
}

void ShowLoadedTest(const TestInfoData& test, RichTextControl& questionText, QWidget& window) {
    const bool updates = window.updatesEnabled();
    window.setUpdatesEnabled(false);
    WriteInfoLines(questionText, LoadedTestLines(test), QColor(), false);
    window.setUpdatesEnabled(updates);
    questionText.moveCursor(QTextCursor::Start);
    questionText.ensureCursorVisible();
}

void ShowTestInfo(const TestInfoData& test, QWidget* parent) {
    TTestInfoForm form(parent);
    form.Fill(test);
    form.exec();
}

void ShowTestInstruction(const TestInfoData& test, QWidget* parent) {
    if (test.Instruction.isEmpty())
        return;
    const QByteArray caption = TextCodec::ToCp1251(u"Инструкция к тесту \"") + test.Title + '"';
    ViewRichText(test.Instruction, caption, parent);
}
