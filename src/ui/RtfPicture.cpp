#include "RtfPicture.h"

#include "ImageDecode.h"

#include <algorithm>

namespace {

// A device-dependent bitmap is only its rows of bits; the size words say how to read them.
QImage DecodeWbitmap(const RtfPicture& p, qint64 maxPixels) {
    const qint64 w = p.picw;
    const qint64 h = p.pich;
    if (w <= 0 || h <= 0 || w * h > maxPixels || p.planes != 1)
        return QImage();
    const int bpp = p.bitsPixel;
    qint64 stride = p.widthBytes;
    if (stride <= 0)
        stride = ((w * bpp + 15) / 16) * 2; // rows are padded to 16 bits
    if (stride * 8 < w * bpp || stride * h > p.bytes.size())
        return QImage();
    QImage image;
    if (bpp == 1) {
        image = QImage(int(w), int(h), QImage::Format_Mono);
        if (image.isNull())
            return image;
        image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    } else if (bpp == 24 || bpp == 32) {
        image = QImage(int(w), int(h), QImage::Format_RGB32);
        if (image.isNull())
            return image;
    } else {
        return QImage();
    }
    const auto* src = reinterpret_cast<const unsigned char*>(p.bytes.constData());
    for (qint64 y = 0; y < h; ++y) {
        const unsigned char* row = src + y * stride;
        uchar* dst = image.scanLine(int(y));
        if (bpp == 1) {
            std::copy(row, row + (w + 7) / 8, dst);
            continue;
        }
        auto* out = reinterpret_cast<QRgb*>(dst);
        const int step = bpp / 8;
        for (qint64 x = 0; x < w; ++x) {
            const unsigned char* px = row + x * step;
            out[x] = qRgb(px[2], px[1], px[0]);
        }
    }
    return image;
}

double Clamp(double v) {
    return std::clamp(v, 1.0, 16384.0);
}

} // namespace

QImage DecodeRtfPicture(const RtfPicture& picture, qint64 maxPixels) {
    switch (picture.kind) {
    case RtfPicture::Png:
        return ImageDecode::Decode(picture.bytes, "PNG", maxPixels);
    case RtfPicture::Jpeg:
        return ImageDecode::DecodeJpeg(picture.bytes, maxPixels);
    case RtfPicture::Dib: {
        const QByteArray file = ImageDecode::DibToBmpFile(picture.bytes);
        return file.isEmpty() ? QImage() : ImageDecode::Decode(file, "BMP", maxPixels);
    }
    case RtfPicture::Wbitmap:
        return DecodeWbitmap(picture, maxPixels);
    default:
        return QImage();
    }
}

QSizeF RtfPictureDisplaySize(const RtfPicture& picture, QSize decoded) {
    const bool metafile = picture.kind == RtfPicture::Wmf || picture.kind == RtfPicture::Emf;
    auto natural = [&](int declared, int fromImage) -> double {
        // A metafile's declared size is in hundredths of a millimetre and comes before the size its
        // header gives; a bitmap's own size comes before the words.
        if (metafile && declared > 0)
            return declared * 96.0 / 2540.0;
        if (fromImage > 0)
            return fromImage;
        if (declared <= 0)
            return 32; // nothing says how big: a small placeholder
        return declared;
    };
    double w = picture.goalw > 0 ? picture.goalw / 15.0 : natural(picture.picw, decoded.width());
    double h = picture.goalh > 0 ? picture.goalh / 15.0 : natural(picture.pich, decoded.height());
    if (picture.scalex > 0)
        w = w * picture.scalex / 100.0;
    if (picture.scaley > 0)
        h = h * picture.scaley / 100.0;
    return QSizeF(Clamp(w), Clamp(h));
}
