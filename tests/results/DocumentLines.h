#pragma once
// A document as lines (paragraphs) with the character format each line starts with, for tests
// that check both what a builder wrote and how it looks.
#include <QList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

struct DocLine {
    QString text;
    QTextCharFormat format; // of the first character; the block's own for an empty line
    Qt::Alignment alignment;
};

inline QList<DocLine> LinesOf(const QTextDocument& doc) {
    QList<DocLine> lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextCharFormat f = b.charFormat();
        if (b.begin() != b.end())
            f = b.begin().fragment().charFormat();
        lines.append({b.text(), f, b.blockFormat().alignment()});
    }
    return lines;
}

inline QStringList TextsOf(const QList<DocLine>& lines) {
    QStringList texts;
    for (const DocLine& l : lines)
        texts.append(l.text);
    return texts;
}

inline bool IsBold(const QTextCharFormat& f) {
    return f.fontWeight() >= QFont::Bold;
}

// The explicit colour of a format; invalid when the text takes the control's default colour.
inline QColor ColourOf(const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor();
}
