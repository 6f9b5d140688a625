#include "MetafilePlayback.h"

namespace Mf {

using Playing::MetafilePlayback;

bool Play(const Metafile& picture, QPainter& painter, const QRectF& target, const PlayOptions& options) {
    if (target.isEmpty() || picture.naturalSize.isEmpty())
        return false;
    return MetafilePlayback(picture, painter, target, options).Run();
}

QImage Render(const Metafile& picture, QSize size, qreal ratio, const QColor& background) {
    if (size.isEmpty() || qint64(size.width()) * size.height() > (qint64(64) << 20))
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(background);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    Play(picture, painter, QRectF(QPointF(0, 0), QSizeF(size) / ratio));
    painter.end();
    return image;
}

} // namespace Mf
