#include "PictureLabel.h"

#include <QEvent>
#include <QPainter>
#include <QWindow>

PictureLabel::PictureLabel(Fit fit, QWidget* parent) : QLabel(parent), m_fit(fit) {
    if (fit == Fit::Stretch)
        setScaledContents(true);
}

void PictureLabel::SetPicture(const Picture& picture) {
    m_picture = picture;
    UpdatePixmap();
}

void PictureLabel::ClearPicture() {
    m_picture = Picture();
    clear();
}

// The pixmap at the screen's density: the natural size in device-independent pixels.
void PictureLabel::UpdatePixmap() {
    if (m_picture.IsNull()) {
        clear();
        return;
    }
    if (!m_picture.IsVector()) {
        setPixmap(QPixmap::fromImage(m_picture.Raster()));
        return;
    }
    setPixmap(QPixmap::fromImage(m_picture.ToImage(m_picture.PixelSize(), devicePixelRatioF())));
}

Picture PictureLabel::CurrentPicture() const {
    if (!m_picture.IsNull() || pixmap().isNull())
        return m_picture;
    return Picture(pixmap().toImage());
}

QSize PictureLabel::sizeHint() const {
    if (m_fit == Fit::Natural && !m_picture.IsNull())
        return m_picture.PixelSize() + QSize(2 * frameWidth(), 2 * frameWidth());
    return QLabel::sizeHint();
}

void PictureLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::ScreenChangeInternal)
        UpdatePixmap();
}

void PictureLabel::paintEvent(QPaintEvent* event) {
    const Picture shown = CurrentPicture();
    if (shown.IsNull()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    const QSizeF natural = shown.NaturalSize();
    QRectF target;
    switch (m_fit) {
    case Fit::Natural:
        target = QRectF(area.topLeft(), natural);
        break;
    case Fit::Shrink: {
        QSizeF size = natural;
        if (size.width() > area.width() || size.height() > area.height())
            size.scale(area.size(), Qt::KeepAspectRatio);
        target = QRectF(QPointF(area.left() + (area.width() - size.width()) / 2, area.top()), size);
        break;
    }
    case Fit::Stretch:
        target = area;
        break;
    }
    QPainter painter(this);
    shown.Draw(painter, target);
}
