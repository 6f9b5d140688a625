#include "ColorSwatch.h"

#include <QPainter>

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ColorSwatch::SetColor(quint32 color) {
    m_color = color & 0xFFFFFF;
    update();
}

QSize ColorSwatch::sizeHint() const {
    return {40, fontMetrics().height() + 6};
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        p.fillRect(contentsRect(),
                   QColor(int(m_color & 0xFF), int((m_color >> 8) & 0xFF), int((m_color >> 16) & 0xFF)));
    }
    QFrame::paintEvent(event);
}
