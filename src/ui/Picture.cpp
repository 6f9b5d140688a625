#include "Picture.h"

#include "ImageDecode.h"
#include "MetafilePlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace {

// No task picture comes near this; a bigger file is refused before it is read.
constexpr qint64 MaxPictureFileSize = qint64(256) << 20;

QByteArray FormatOfName(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("bmp") || ext == QLatin1String("dib") || ext == QLatin1String("rle"))
        return "BMP";
    if (ext == QLatin1String("ico"))
        return "ICO";
    if (ext == QLatin1String("gif"))
        return "GIF";
    if (ext == QLatin1String("png"))
        return "PNG";
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return "JPEG";
    if (ext == QLatin1String("wmf") || ext == QLatin1String("emf"))
        return "METAFILE";
    return QByteArray();
}

} // namespace

Picture Picture::FromData(QByteArrayView data, qint64 maxPixels) {
    if (Mf::LooksLikeMetafile(data)) {
        Mf::Limits limits;
        limits.maxPixels = std::min(limits.maxPixels, maxPixels);
        if (Mf::MetafilePtr m = Mf::Parse(data, limits))
            return Picture(std::move(m));
        return Picture();
    }
    return Picture(ImageDecode::Decode(data, QByteArray(), maxPixels));
}

QSizeF Picture::NaturalSize() const {
    if (m_vector)
        return m_vector->naturalSize;
    return m_image.deviceIndependentSize();
}

void Picture::Draw(QPainter& painter, const QRectF& target) const {
    if (m_vector) {
        Mf::Play(*m_vector, painter, target);
    } else if (!m_image.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
        painter.restore();
    }
}

QImage Picture::ToImage(QSize size, qreal ratio, const QColor& background) const {
    if (IsNull() || size.isEmpty())
        return QImage();
    const QSize pixels = (QSizeF(size) * ratio).toSize().expandedTo(QSize(1, 1));
    if (m_vector)
        return Mf::Render(*m_vector, pixels, ratio, background);
    if (pixels == m_image.size() && background.alpha() == 0)
        return m_image;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(background);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    Draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

bool IsPictureFileName(const QString& path) {
    return !FormatOfName(path).isEmpty();
}

Picture ReadPictureFile(const QString& path) {
    const QByteArray format = FormatOfName(path);
    if (format.isEmpty())
        return Picture();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxPictureFileSize)
        return Picture();
    const QByteArray data = file.readAll();
    if (format == "METAFILE") {
        if (!Mf::LooksLikeMetafile(data))
            return Picture();
        return Picture::FromData(data, ImageDecode::DefaultMaxPixels);
    }
    if (format == "JPEG")
        return Picture(ImageDecode::DecodeJpeg(data));
    if (Mf::LooksLikeMetafile(data))
        return Picture(); // a metafile under a bitmap's name
    return Picture(ImageDecode::Decode(data, format));
}
