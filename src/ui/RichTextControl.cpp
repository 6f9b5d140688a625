#include "RichTextControl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

RichTextControl::RichTextControl(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(12);
    SetBaseFont(font);
}

void RichTextControl::SetBaseFont(const QFont& font) {
    m_baseFont = font;
    Rescale(m_zoom / 100.0, false);
}

bool RichTextControl::SetZoom(int percent) {
    if (percent == 0)
        percent = 100;
    if (percent < 1 || percent > MaxZoom)
        return false;
    if (percent == m_zoom)
        return true;
    m_zoom = percent;
    Rescale(m_zoom / 100.0, false);
    return true;
}

void RichTextControl::ZoomNewContent() {
    Rescale(m_zoom / 100.0, true);
}

double RichTextControl::BasePointSize(const QTextCharFormat& format) const {
    const QVariant base = format.property(BaseSizeProperty);
    if (base.isValid() && base.toDouble() > 0)
        return base.toDouble();
    if (!base.isValid() && format.hasProperty(QTextFormat::FontPointSize))
        return format.fontPointSize();
    return m_baseFont.pointSizeF() > 0 ? m_baseFont.pointSizeF() : m_baseFont.pixelSize() * 0.75;
}

void RichTextControl::Rescale(double factor, bool onlyNew) {
    QFont font = m_baseFont;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    document()->setDefaultFont(font);
    if (onlyNew && factor == 1.0)
        return;
    QTextDocument* doc = document();
    // Changing a format may merge fragments, so the changes are collected first.
    struct Change {
        int position;
        int length;
        QTextCharFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            const bool known = format.hasProperty(BaseSizeProperty);
            if (onlyNew && known)
                continue;
            bool changed = false;
            // Size 0 in the property: the fragment follows the control's font.
            const double base = known ? format.doubleProperty(BaseSizeProperty)
                                : format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                                 : 0.0;
            if (!known) {
                format.setProperty(BaseSizeProperty, base);
                changed = true;
            }
            if (base > 0) {
                format.setFontPointSize(base * factor);
                changed = true;
            }
            if (format.isImageFormat()) {
                QTextImageFormat image = format.toImageFormat();
                if (!image.hasProperty(BaseWidthProperty)) {
                    image.setProperty(BaseWidthProperty, image.width());
                    image.setProperty(BaseHeightProperty, image.height());
                }
                const double w = image.doubleProperty(BaseWidthProperty);
                const double h = image.doubleProperty(BaseHeightProperty);
                if (w > 0)
                    image.setWidth(w * factor);
                if (h > 0)
                    image.setHeight(h * factor);
                format = image;
                changed = true;
            }
            if (changed)
                changes.append({fragment.position(), fragment.length(), format});
        }
    }
    if (changes.isEmpty())
        return;
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const Change& c : std::as_const(changes)) {
        cursor.setPosition(c.position);
        cursor.setPosition(c.position + c.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
    cursor.endEditBlock();
}

void RichTextControl::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Undo) ||
        event->matches(QKeySequence::Delete) || event->matches(QKeySequence::Redo)) {
        event->ignore();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextControl::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    emit MouseReleased();
}

void RichTextControl::contextMenuEvent(QContextMenuEvent* event) {
    event->ignore();
}

bool RichTextControl::canInsertFromMimeData(const QMimeData*) const {
    return false;
}

QMimeData* RichTextControl::createMimeDataFromSelection() const {
    // Nothing of a test's text leaves through the clipboard or a drag.
    return new QMimeData;
}
