#pragma once
// Rich-text fragments as documents, without any window. A fragment is a byte string in code page
// 1251 holding either an RTF document (when it begins with "{\rtf" in any letter case) or plain
// text whose lines are separated by CR LF.
#include <QByteArray>
#include <QString>

class QTextDocument;

// The visible text of a fragment, trimmed; a plain fragment yields itself, trimmed.
QByteArray RichTextToPlain(const QByteArray& fragment);

// Loads the fragment into a document: RTF as RTF, anything else (and RTF the reader cannot take)
// as plain text.
void ReadFragment(const QByteArray& fragment, QTextDocument& doc);

// The text of a document as code-page-1251 bytes, paragraphs joined by CR LF, not trimmed: what
// rich-edit controls give, tables with their cells separated by tabs and rows by line breaks.
QByteArray DocumentPlainBytes(const QTextDocument& doc);

// The text of a plain fragment with its line breaks: CR LF, a lone CR or a lone LF each end a line.
QString PlainFragmentText(const QByteArray& bytes);
