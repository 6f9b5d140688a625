#include "WrapCheckBox.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>

namespace {
constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
} // namespace

WrapCheckBox::WrapCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int WrapCheckBox::TextLeft() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}

int WrapCheckBox::TextHeight(int width) const {
    return fontMetrics().boundingRect(QRect(0, 0, std::max(1, width), 100000), TextFlags, text()).height();
}

bool WrapCheckBox::Fits() const {
    return sizeHint().width() <= width();
}

QSize WrapCheckBox::minimumSizeHint() const {
    // Room for the box and the longest word; the rest wraps.
    int word = 0;
    for (const QString& w : text().split(u' ', Qt::SkipEmptyParts))
        word = std::max(word, fontMetrics().horizontalAdvance(w));
    return {TextLeft() + word + 4, QCheckBox::sizeHint().height()};
}

int WrapCheckBox::heightForWidth(int width) const {
    const QSize oneLine = QCheckBox::sizeHint();
    if (oneLine.width() <= width)
        return oneLine.height();
    const int extra = TextHeight(width - TextLeft()) - fontMetrics().height();
    return oneLine.height() + std::max(0, extra);
}

void WrapCheckBox::paintEvent(QPaintEvent* event) {
    if (Fits()) {
        QCheckBox::paintEvent(event);
        return;
    }
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const int lineHeight = QCheckBox::sizeHint().height();
    // The box beside the first line, where an ordinary check box puts it.
    QStyleOptionButton box = opt;
    box.text.clear();
    const int boxWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth, &opt, this);
    const int boxHeight = style()->pixelMetric(QStyle::PM_IndicatorHeight, &opt, this);
    box.rect = QRect(0, std::max(0, (lineHeight - boxHeight) / 2), boxWidth, boxHeight);
    p.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);

    const int top = std::max(0, (lineHeight - fontMetrics().height()) / 2);
    const QRect textRect(TextLeft(), top, width() - TextLeft(), height() - top);
    style()->drawItemText(&p, textRect, TextFlags, opt.palette, isEnabled(), text(), QPalette::WindowText);
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = fontMetrics().boundingRect(textRect, TextFlags, text()).adjusted(-2, 0, 2, 1);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrapCheckBox::hitButton(const QPoint& pos) const {
    return Fits() ? QCheckBox::hitButton(pos) : rect().contains(pos);
}
