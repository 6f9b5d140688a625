#include "RichText.h"

#include "PictureTextObject.h"
#include "RichTextControl.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "model/TextCodec.h"
#include "model/Utils.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextTable>
#include <QWidget>

#include <cmath>

namespace {

// Plain text keeps its line breaks: CR LF, a lone CR or a lone LF each end a line.
QString PlainFromBytes(const QByteArray& bytes) {
    QString text = TextCodec::FromCp1251(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void ReadFragment(const QByteArray& fragment, QTextDocument& doc) {
    // A fragment that is not RTF, or RTF the reader cannot take, is shown as plain text.
    if (!Rtf::ReadRtf(fragment, doc))
        doc.setPlainText(PlainFromBytes(fragment));
}

namespace {

// The text of one block as rich-edit controls give it: pictures and list markers have none, a line
// break inside a paragraph is a line break, and no-break spaces stay no-break spaces.
void AppendBlock(const QTextBlock& block, QString& out) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().hasProperty(Rtf::ListMarkerProperty))
            continue;
        QString text = fragment.text();
        text.remove(QChar::ObjectReplacementCharacter);
        text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
        out += text;
    }
}

// Paragraphs are joined by line breaks; a table gives one line per row, its cells separated by tabs.
void AppendFrame(const QTextFrame* frame, QString& out, bool& first) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(child)) {
                for (int r = 0; r < table->rows(); ++r) {
                    if (!first)
                        out += QLatin1String("\r\n");
                    first = false;
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        if (cell.column() != c || cell.row() != r)
                            continue; // the rest of a merged cell
                        if (c > 0)
                            out += QLatin1Char('\t');
                        bool firstInCell = true;
                        for (auto ci = cell.begin(); !ci.atEnd(); ++ci) {
                            if (ci.currentFrame()) {
                                AppendFrame(ci.currentFrame(), out, firstInCell);
                                continue;
                            }
                            if (!firstInCell)
                                out += QLatin1String("\r\n");
                            firstInCell = false;
                            AppendBlock(ci.currentBlock(), out);
                        }
                    }
                }
            } else {
                AppendFrame(child, out, first);
            }
            continue;
        }
        if (!first)
            out += QLatin1String("\r\n");
        first = false;
        AppendBlock(it.currentBlock(), out);
    }
}

} // namespace

QByteArray DocumentPlainBytes(const QTextDocument& doc) {
    QString text;
    bool first = true;
    AppendFrame(doc.rootFrame(), text, first);
    return TextCodec::ToCp1251BestFit(text);
}

void LoadRichText(const QByteArray& fragment, RichTextControl& control, bool plainText) {
    control.SetPlainTextMode(plainText);
    QTextDocument* doc = control.document();
    if (plainText)
        doc->setPlainText(PlainFromBytes(fragment));
    else
        ReadFragment(fragment, *doc);
    control.ZoomNewContent();
    control.moveCursor(QTextCursor::Start);
}

void ClearRichText(RichTextControl& control) {
    LoadRichText(QByteArray(), control, false);
    control.setCurrentCharFormat(QTextCharFormat());
}

QByteArray GetRichPlainText(RichTextControl& control, bool asPlain) {
    const QByteArray plain = DocumentPlainBytes(*control.document());
    if (TrimBlanks(plain).isEmpty())
        return QByteArray();
    control.SetPlainTextMode(asPlain);
    return TrimBlanks(asPlain ? plain : WriteRtf(control));
}

QByteArray RichTextToPlain(const QByteArray& fragment) {
    QTextDocument doc;
    ReadFragment(fragment, doc);
    return TrimBlanks(DocumentPlainBytes(doc));
}

void CopyRichText(RichTextControl& source, RichTextControl& target) {
    source.SetPlainTextMode(false);
    target.SetPlainTextMode(false);
    const bool updates = target.updatesEnabled();
    target.setUpdatesEnabled(false);
    QTextDocument* copy = source.document()->clone(&target);
    target.setDocument(copy);
    PictureText::Install(*copy); // a clone has a layout of its own
    target.ZoomAllContent();
    target.setUpdatesEnabled(updates);
    const QTextCursor from = source.textCursor();
    QTextCursor to(copy);
    to.setPosition(from.anchor());
    to.setPosition(from.position(), QTextCursor::KeepAnchor);
    target.setTextCursor(to);
}

void ChangeRichTextSize(RichTextControl& control, int delta) {
    if (delta == 0)
        return;
    const double factor = control.Zoom() / 100.0;
    // Every character of a fragment has the same size, so a fragment changes at once exactly as
    // its characters would one by one.
    RewriteCharFormats(*control.document(), [&](QTextCharFormat& format) {
        // Whole points, as the size is counted in twentieths of a point and divided by 20.
        const int points = int(std::floor(std::round(control.BasePointSize(format) * 20) / 20));
        if (points <= 1 && delta < 0)
            return false;
        const int size = std::max(1, points + delta);
        format.setProperty(RichTextControl::BaseSizeProperty, double(size));
        format.setFontPointSize(size * factor);
        return true;
    });
    QTextCursor start(control.document());
    control.setTextCursor(start);
}

void ApplyZoom(int zoom, QWidget& window, RichTextControl& questionText,
               const QList<RichTextControl*>& variants) {
    if (questionText.Zoom() == (zoom == 0 ? 100 : zoom))
        return;
    const bool updates = window.updatesEnabled();
    window.setUpdatesEnabled(false);
    questionText.SetZoom(zoom);
    for (RichTextControl* v : variants)
        v->SetZoom(zoom);
    window.setUpdatesEnabled(updates);
}
