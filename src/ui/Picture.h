#pragma once
// A picture as this program shows it: a decoded bitmap, or a metafile that is drawn as vectors at
// whatever size and screen scale it is shown.
#include "Metafile.h"

#include <QByteArrayView>
#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>

class QPainter;

class Picture {
public:
    Picture() = default;
    explicit Picture(QImage image) : m_image(std::move(image)) {}
    explicit Picture(Mf::MetafilePtr vector) : m_vector(std::move(vector)) {}

    // Decodes BMP, ICO, GIF, PNG, JPEG, WMF or EMF data, recognised by its content. Null for damaged
    // data, data of no such format, and bitmaps above maxPixels.
    static Picture FromData(QByteArrayView data, qint64 maxPixels);

    bool IsNull() const { return m_image.isNull() && !m_vector; }
    bool IsVector() const { return m_vector != nullptr; }
    const QImage& Raster() const { return m_image; }
    const Mf::MetafilePtr& Vector() const { return m_vector; }

    // The size shown at 100 %, in device-independent pixels (96 per inch for metafiles).
    QSizeF NaturalSize() const;
    QSize PixelSize() const { return NaturalSize().toSize().expandedTo(QSize(1, 1)); }

    // Draws the picture stretched into `target`.
    void Draw(QPainter& painter, const QRectF& target) const;

    // The picture at `size` device-independent pixels in an image of `ratio` device pixels per pixel.
    QImage ToImage(QSize size, qreal ratio = 1, const QColor& background = Qt::transparent) const;
    QImage ToImage() const { return ToImage(PixelSize()); }

private:
    QImage m_image;
    Mf::MetafilePtr m_vector;
};

// Reads a picture file. The format follows the extension: BMP (also .dib and .rle), ICO, GIF, PNG,
// JPEG (.jpg, .jpeg), WMF and EMF. Null when the extension is none of them, the file cannot be read or
// its data is not of that format or damaged.
Picture ReadPictureFile(const QString& path);

// True when the file's extension is one of the picture formats above.
bool IsPictureFileName(const QString& path);
