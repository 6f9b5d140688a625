#include "TestInfo.h"

#include "RichText.h"
#include "RichTextControl.h"
#include "TestInfoForm.h"
#include "TextViewForm.h"
#include "UiTexts.h"
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
    lines.append({UiTexts::Text(UiTexts::Criteria), false, true});
    for (qsizetype i = test.Marks.size() - 1; i >= 0; --i) {
        const TestInfoMark& m = test.Marks[i];
        if (m.Percent <= 0)
            continue;
        const QString name = m.Name.isEmpty() ? QString::number(m.Number) : Text(m.Name);
        lines.append({UiTexts::Text(UiTexts::Criterion).arg(name, QString::number(m.Percent)), false, true});
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

TestInfoData TestInfoFrom(const TTest& test, int loadedTaskCount) {
    TestInfoData d;
    d.Title = test.Title;
    d.Author = test.Author;
    d.Description = test.Description;
    d.Instruction = test.Instruction;
    d.UId = test.UId;
    d.RandomTaskOrder = test.RandomTaskOrder != 0;
    d.RandomVariantOrder = test.RandomVariantOrder != 0;
    d.UseThemes = test.UseThemes;
    d.TestTimeLimit = test.TestTimeLimit;
    d.AskTaskCount = test.AskTaskCount;
    d.TotalAskCount = test.TotalAskCount;
    d.Marks = test.Marks;
    d.Created = test.Created;
    d.Saved = test.Saved;
    d.LoadedTaskCount = loadedTaskCount;
    return d;
}

QList<InfoLine> LoadedTestLines(const TestInfoData& test) {
    QList<InfoLine> lines;
    lines.append({UiTexts::Text(UiTexts::OpenedTest).arg(Text(test.Title)), true});
    const int count = test.UseThemes ? test.TotalAskCount : AskTaskRule(test);
    lines.append({UiTexts::Text(UiTexts::TaskCount).arg(count)});
    AddCriteria(test, lines);
    lines.append({UiTexts::Text(UiTexts::GoodLuck)});
    lines.append({UiTexts::Text(UiTexts::HowToStart)});
    return lines;
}

QList<InfoLine> TestInfoLines(const TestInfoData& test) {
    QList<InfoLine> lines;
    lines.append({UiTexts::Text(UiTexts::OpenedTest).arg(Text(test.Title)), true});
    lines.append({UiTexts::Text(UiTexts::TaskCount).arg(AskTaskRule(test))});
    AddCriteria(test, lines);
    if (!test.Author.isEmpty())
        lines.append({UiTexts::Text(UiTexts::Author).arg(Text(test.Author))});
    if (!test.Description.isEmpty()) {
        lines.append({UiTexts::Text(UiTexts::Description)});
        lines.append({Text(RichTextToPlain(test.Description))});
    }
    lines.append({test.RandomTaskOrder ? UiTexts::Text(UiTexts::TaskOrderRandom)
                                       : UiTexts::Text(UiTexts::TaskOrderNormal)});
    lines.append({test.RandomVariantOrder ? UiTexts::Text(UiTexts::VariantOrderRandom)
                                          : UiTexts::Text(UiTexts::VariantOrderNormal)});
    if (test.TestTimeLimit > 0)
        lines.append({UiTexts::Text(UiTexts::TimeLimitLine)
                          .arg(UiTexts::Text(UiTexts::TimeLimitName), TimeOfDay(test.TestTimeLimit))});
    lines.append({QString()});
    lines.append({UiTexts::Text(UiTexts::UId).arg(Text(test.UId)), false, false, true});
    lines.append({UiTexts::Text(UiTexts::Created).arg(FormatDateTime(DoubleToDateTime(test.Created))), false,
                  false, true});
    lines.append({UiTexts::Text(UiTexts::Saved).arg(FormatDateTime(DoubleToDateTime(test.Saved))), false,
                  false, true});
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

void ShowLoadedTest(const TestInfoData& test, RichTextControl& questionText, QWidget& window,
                    const std::function<void()>& applyZoom) {
    const bool updates = window.updatesEnabled();
    window.setUpdatesEnabled(false);
    WriteInfoLines(questionText, LoadedTestLines(test), QColor(), false);
    if (applyZoom)
        applyZoom();
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
    const QByteArray caption =
        TextCodec::ToCp1251(UiTexts::Text(UiTexts::InstructionCaption).arg(Text(test.Title)));
    ViewRichText(test.Instruction, caption, parent);
}
