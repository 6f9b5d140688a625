#pragma once
// Writes a control's content as RTF that our reader reads back: fonts, sizes (unzoomed), bold,
// italic, underline, strike-out, super- and subscript, colours, paragraph alignment and indents,
// line breaks, tabs and pictures (as PNG). Tables and lists are written as their text.
#include <QByteArray>

class RichTextControl;

QByteArray WriteRtf(const RichTextControl& control);
