#include "RichText.h"

#include "RichTextControl.h"
#include "RtfWriter.h"
#include "model/TextCodec.h"
#include "model/Utils.h"
#include "ui/PictureTextObject.h"
#include "ui/RtfReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextTable>
#include <QWidget>

#include <cmath>

void LoadRichText(const QByteArray& fragment, RichTextControl& control, bool plainText) {
    control.SetPlainTextMode(plainText);
    QTextDocument* doc = control.document();
    if (plainText)
        doc->setPlainText(PlainFragmentText(fragment));
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

void TakeRichDocument(RichTextControl& target, QTextDocument* document) {
    target.SetPlainTextMode(false);
    const bool updates = target.updatesEnabled();
    target.setUpdatesEnabled(false);
    document->setParent(&target);
    target.setDocument(document);
    PictureText::Install(*document); // the control's layout is new to the document
    target.ZoomAllContent();
    target.setUpdatesEnabled(updates);
    target.moveCursor(QTextCursor::Start);
}

void CopyRichText(RichTextControl& source, RichTextControl& target) {
    source.SetPlainTextMode(false);
    TakeRichDocument(target, source.document()->clone());
    QTextDocument* copy = target.document();
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
