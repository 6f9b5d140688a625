#include "RichTextControl.h"

#include "ui/PictureTextObject.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
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
    PictureText::Install(*document()); // metafile pictures drawn sharp at every zoom
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
    // Setting the font lays the whole document out again, even when it is the same.
    if (document()->defaultFont() != font)
        document()->setDefaultFont(font);
    if (onlyNew && factor == 1.0)
        return;
    RescaleBlocks(factor, onlyNew);
    RewriteCharFormats(*document(), [&](QTextCharFormat& format) {
        const bool known = format.hasProperty(BaseSizeProperty);
        // A format never scaled has its own sizes, which is what every reader of the base
        // properties falls back to: at 100 % it needs no rewrite.
        if ((onlyNew && known) || (!known && factor == 1.0))
            return false;
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
        return changed;
    });
}

void RewriteCharFormats(QTextDocument& doc, const std::function<bool(QTextCharFormat&)>& rewrite) {
    struct Change {
        int position;
        int length;
        QTextCharFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (rewrite(format))
                changes.append({fragment.position(), fragment.length(), format});
        }
    }
    if (changes.isEmpty())
        return;
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (const Change& c : std::as_const(changes)) {
        cursor.setPosition(c.position);
        cursor.setPosition(c.position + c.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
    cursor.endEditBlock();
}

// Indents, spacing and tab stops grow with the text, so that a zoomed text keeps its shape.
void RichTextControl::RescaleBlocks(double factor, bool onlyNew) {
    QTextDocument* doc = document();
    QList<QPair<int, QTextBlockFormat>> changes;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat f = block.blockFormat();
        const bool known = f.hasProperty(BaseBlockProperty);
        if ((onlyNew && known) || (!known && factor == 1.0))
            continue;
        QList<double> base;
        if (known) {
            for (const QVariant& v : f.property(BaseBlockProperty).toList())
                base.append(v.toDouble());
        } else {
            base = {f.leftMargin(), f.rightMargin(), f.topMargin(), f.bottomMargin(), f.textIndent()};
            for (const QTextOption::Tab& tab : f.tabPositions())
                base.append(tab.position);
            QVariantList stored;
            for (const double v : std::as_const(base))
                stored.append(v);
            f.setProperty(BaseBlockProperty, stored);
        }
        if (base.size() < 5)
            continue;
        f.setLeftMargin(base[0] * factor);
        f.setRightMargin(base[1] * factor);
        f.setTopMargin(base[2] * factor);
        f.setBottomMargin(base[3] * factor);
        f.setTextIndent(base[4] * factor);
        QList<QTextOption::Tab> tabs = f.tabPositions();
        for (qsizetype i = 0; i < tabs.size() && 5 + i < base.size(); ++i)
            tabs[i].position = base[5 + i] * factor;
        f.setTabPositions(tabs);
        changes.append({block.position(), f});
    }
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (const auto& [position, format] : std::as_const(changes)) {
        cursor.setPosition(position);
        cursor.setBlockFormat(format);
    }
    cursor.endEditBlock();
}

void RichTextControl::keyPressEvent(QKeyEvent* event) {
    if (m_copyAllowed && event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
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

void RichTextControl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTextEdit::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

void RichTextControl::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_copyAllowed) {
        event->ignore();
        return;
    }
    // Read-only: the menu offers copying and selecting, nothing that changes the text.
    QMenu* menu = createStandardContextMenu(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool RichTextControl::canInsertFromMimeData(const QMimeData*) const {
    return false;
}

QMimeData* RichTextControl::createMimeDataFromSelection() const {
    // Nothing of a test's text leaves through the clipboard or a drag, except from a control that
    // shows the program's own texts about a test.
    if (m_copyAllowed)
        return QTextEdit::createMimeDataFromSelection();
    return new QMimeData;
}
