#pragma once
// The operations on rich-text fragments shown in the text controls of the windows; the document
// operations that need no window are in RichDocument.
#include "ui/RichDocument.h"

#include <QByteArray>
#include <QList>

class QTextDocument;
class QWidget;
class RichTextControl;

// Replaces the control's content by the fragment. With plainText false an RTF fragment is read as
// RTF and any other fragment is shown as plain text in the control's default format; with plainText
// true the bytes are shown literally, markup included.
void LoadRichText(const QByteArray& fragment, RichTextControl& control, bool plainText);

// Empties the control and resets its formatting, so nothing of the last fragment carries over.
void ClearRichText(RichTextControl& control);

// The control's content trimmed of bytes up to 32 at both ends: as plain text (lines joined by
// CR LF) when asPlain is true, as RTF otherwise. Empty when the text is blank.
QByteArray GetRichPlainText(RichTextControl& control, bool asPlain);

// Puts the source's whole formatted content and its selection into the target.
void CopyRichText(RichTextControl& source, RichTextControl& target);
// Shows `document` in the control, which takes it over, zoomed as the control is, the caret at the
// start: what CopyRichText does with its copy.
void TakeRichDocument(RichTextControl& target, QTextDocument* document);

// Moves the size of every character by delta whole points; characters at 1 point are not made
// smaller, and no size goes below 1 point. The selection ends at start 0, length 0.
void ChangeRichTextSize(RichTextControl& control, int delta);

// Sets the zoom of the question text and of the variant texts to `zoom` unless the question text
// already has it, with the window's drawing suspended meanwhile.
void ApplyZoom(int zoom, QWidget& window, RichTextControl& questionText,
               const QList<RichTextControl*>& variants);
