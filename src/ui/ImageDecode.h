#pragma once
// Bounded picture decoding shared by the RTF reader and the picture loader. A picture's declared
// size is never trusted: the header is read first and a picture above the pixel cap is refused
// before anything is allocated for its pixels.
#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace ImageDecode {

// 64 megapixels: far above any task picture, far below what a forged header can claim.
inline constexpr qint64 DefaultMaxPixels = qint64(64) << 20;

// Decodes a JPEG with libjpeg-turbo. A null image for damaged data or a size above maxPixels.
QImage DecodeJpeg(QByteArrayView data, qint64 maxPixels = DefaultMaxPixels);

// Decodes through Qt's readers with `format` as the hint ("BMP", "PNG", "GIF", "ICO"; empty to
// guess), after checking the declared size. JPEG data goes to DecodeJpeg whatever the hint.
QImage Decode(QByteArrayView data, const QByteArray& format, qint64 maxPixels = DefaultMaxPixels);

// A packed device-independent bitmap (info header, colour table, bits) with the BMP file header in
// front, so that a BMP reader takes it. Empty when the info header is too short to be one.
QByteArray DibToBmpFile(QByteArrayView dib);

} // namespace ImageDecode
