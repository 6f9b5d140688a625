#pragma once
// Writes the texts that a finished session composes (summary and report) into a document, the way
// a rich-text control takes them line by line: every change of style, size or colour acts on the
// insertion format, which then stays in effect for what follows. After inserted text the
// insertion format is that text's; after an appended fragment it is the fragment's last character's.
//
// The document is seen as lines each ended by a paragraph break, so the end of the document is
// always a fresh line: AddLine starts a new paragraph when the last one already holds something,
// Insert continues the last line, and a fragment ends its last line.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;

class RichWriter {
public:
    enum Style { Bold, Italic, Underline };

    explicit RichWriter(QTextDocument& doc);

    void AddStyle(Style style);
    void RemoveStyle(Style style);
    // Points added to the current size (the document's default size when the format has none).
    void ChangeSize(int delta);
    void SetColour(const QColor& colour);
    // Back to the default text colour of the control the document is shown in.
    void ResetColour();
    // Applies to the paragraphs added after it.
    void SetAlignment(Qt::Alignment alignment);

    void AddLine(const QString& text);
    void AddEmptyLine() { AddLine(QString()); }
    void Insert(const QString& text);
    // A rich-text fragment (RTF or plain, code page 1251) with its own formatting, pictures included.
    void AppendFragment(const QByteArray& fragment);
    // A picture at the insertion point, at its own size in pixels.
    void InsertPicture(const QImage& image);

    const QTextCharFormat& Format() const { return m_format; }

private:
    // Starts a new paragraph unless the last one is still empty.
    void BreakIfLineUsed();
    void EndLine();
    double CurrentPointSize() const;

    QTextDocument& m_doc;
    QTextCursor m_cursor;
    QTextCharFormat m_format;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_resources = 0; // pictures named so far, for unique resource names
};
