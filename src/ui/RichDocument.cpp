#include "RichDocument.h"

#include "RtfReader.h"
#include "model/TextCodec.h"
#include "model/Utils.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextTable>

QString PlainFragmentText(const QByteArray& bytes) {
    QString text = TextCodec::FromCp1251(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void ReadFragment(const QByteArray& fragment, QTextDocument& doc) {
    // A fragment that is not RTF, or RTF the reader cannot take, is shown as plain text.
    if (!Rtf::ReadRtf(fragment, doc))
        doc.setPlainText(PlainFragmentText(fragment));
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

QByteArray RichTextToPlain(const QByteArray& fragment) {
    if (const std::optional<QByteArray> text = Rtf::ReadRtfPlainBytes(fragment))
        return TrimBlanks(*text);
    if (!Rtf::IsRtf(fragment)) {
        // What a document of the plain text gives back: its lines joined by CR LF.
        QByteArray text;
        text.reserve(fragment.size());
        for (qsizetype i = 0; i < fragment.size(); ++i) {
            const char c = fragment[i];
            if (c == '\r' || c == '\n') {
                text += "\r\n";
                if (c == '\r' && i + 1 < fragment.size() && fragment[i + 1] == '\n')
                    ++i;
            } else {
                text += c;
            }
        }
        return TrimBlanks(text);
    }
    QTextDocument doc;
    ReadFragment(fragment, doc);
    return TrimBlanks(DocumentPlainBytes(doc));
}
