#include "RichWriter.h"

#include "ui/gui/RichText.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QUrl>

RichWriter::RichWriter(QTextDocument& doc) : m_doc(doc), m_cursor(&doc) {
    m_cursor.movePosition(QTextCursor::End);
}

void RichWriter::AddStyle(Style style) {
    switch (style) {
    case Bold:
        m_format.setFontWeight(QFont::Bold);
        break;
    case Italic:
        m_format.setFontItalic(true);
        break;
    case Underline:
        m_format.setFontUnderline(true);
        break;
    }
}

void RichWriter::RemoveStyle(Style style) {
    switch (style) {
    case Bold:
        m_format.setFontWeight(QFont::Normal);
        break;
    case Italic:
        m_format.setFontItalic(false);
        break;
    case Underline:
        m_format.setFontUnderline(false);
        break;
    }
}

double RichWriter::CurrentPointSize() const {
    if (m_format.hasProperty(QTextFormat::FontPointSize) && m_format.fontPointSize() > 0)
        return m_format.fontPointSize();
    const QFont font = m_doc.defaultFont();
    return font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
}

void RichWriter::ChangeSize(int delta) {
    m_format.setFontPointSize(std::max(1.0, CurrentPointSize() + delta));
}

void RichWriter::SetColour(const QColor& colour) {
    m_format.setForeground(colour);
}

void RichWriter::ResetColour() {
    m_format.clearForeground();
}

void RichWriter::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
}

void RichWriter::BreakIfLineUsed() {
    m_cursor.movePosition(QTextCursor::End);
    if (m_cursor.block().length() > 1)
        EndLine();
}

void RichWriter::EndLine() {
    QTextBlockFormat block = m_cursor.blockFormat();
    block.setAlignment(m_alignment);
    m_cursor.insertBlock(block, m_format);
}

void RichWriter::AddLine(const QString& text) {
    BreakIfLineUsed();
    QTextBlockFormat block = m_cursor.blockFormat();
    block.setAlignment(m_alignment);
    m_cursor.setBlockFormat(block);
    m_cursor.setBlockCharFormat(m_format);
    m_cursor.insertText(text, m_format);
    EndLine();
}

void RichWriter::Insert(const QString& text) {
    m_cursor.movePosition(QTextCursor::End);
    m_cursor.insertText(text, m_format);
}

void RichWriter::AppendFragment(const QByteArray& fragment) {
    QTextDocument scratch;
    scratch.setDefaultFont(m_doc.defaultFont());
    ReadFragment(fragment, scratch);
    // The fragment's pictures live in its own document; they move over under names of this one.
    QTextCursor fix(&scratch);
    for (QTextBlock block = scratch.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment part = it.fragment();
            if (!part.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = part.charFormat().toImageFormat();
            const QVariant data = scratch.resource(QTextDocument::ImageResource, QUrl(image.name()));
            const QString name = QStringLiteral("report:%1").arg(m_resources++);
            m_doc.addResource(QTextDocument::ImageResource, QUrl(name), data);
            image.setName(name);
            fix.setPosition(part.position());
            fix.setPosition(part.position() + part.length(), QTextCursor::KeepAnchor);
            fix.setCharFormat(image);
        }
    }
    QTextCursor last(&scratch);
    last.movePosition(QTextCursor::End);
    const bool empty = scratch.characterCount() <= 1;
    m_cursor.movePosition(QTextCursor::End);
    if (!empty) {
        m_cursor.insertFragment(QTextDocumentFragment(&scratch));
        // The format at the end of the fragment is its last character's.
        QTextCharFormat tail = last.charFormat();
        if (tail.isImageFormat())
            tail = QTextCharFormat(); // a picture's own properties do not go on to text
        m_format = tail;
    }
    EndLine();
}

void RichWriter::InsertPicture(const QImage& image) {
    const QString name = QStringLiteral("report:%1").arg(m_resources++);
    m_doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat f;
    f.merge(m_format);
    f.setName(name);
    f.setWidth(image.width());
    f.setHeight(image.height());
    m_cursor.movePosition(QTextCursor::End);
    m_cursor.insertImage(f);
}
