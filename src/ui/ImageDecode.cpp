#include "ImageDecode.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(err->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {} // warnings of damaged but readable files stay quiet

quint32 ReadLE32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24);
}

// The decoding proper; kept free of objects with destructors because libjpeg leaves by longjmp.
// Returns false on any error; `out` receives the pixels as 32-bit RGB.
bool RunJpeg(const unsigned char* data, unsigned long size, qint64 maxPixels, QImage* out) {
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    err.mgr.emit_message = OnJpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    // Progressive files keep all their coefficients; past this the decoder gives up rather than grows.
    info.mem->max_memory_to_use = static_cast<long>(std::min<qint64>(maxPixels * 8, qint64(1) << 30));
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    const qint64 w = info.image_width;
    const qint64 h = info.image_height;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535 || w * h > maxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    *out = QImage(int(w), int(h), QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            // Adobe writes CMYK inverted; the product of the inverted inks is the channel.
            for (qint64 x = 0; x < w; ++x) {
                unsigned char* p = row + x * 4;
                const int c = p[0], m = p[1], y = p[2], k = p[3];
                p[0] = static_cast<unsigned char>(y * k / 255);
                p[1] = static_cast<unsigned char>(m * k / 255);
                p[2] = static_cast<unsigned char>(c * k / 255);
                p[3] = 255;
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

namespace ImageDecode {

QImage DecodeJpeg(QByteArrayView data, qint64 maxPixels) {
    QImage image;
    if (data.isEmpty())
        return image;
    if (!RunJpeg(reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()),
                 maxPixels, &image))
        return QImage();
    return image;
}

QImage Decode(QByteArrayView data, const QByteArray& format, qint64 maxPixels) {
    if (data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
        static_cast<unsigned char>(data[1]) == 0xD8 && static_cast<unsigned char>(data[2]) == 0xFF)
        return DecodeJpeg(data, maxPixels);
    QByteArray bytes = data.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The content decides the format; the hint only names what the caller expects. Data that no
    // reader recognises is refused here, before a decoder complains about it.
    QImageReader reader(&buffer);
    if (reader.format().isEmpty())
        return QImage();
    Q_UNUSED(format);
    const QSize declared = reader.size();
    if (!declared.isValid() || qint64(declared.width()) * declared.height() > maxPixels)
        return QImage();
    reader.setAllocationLimit(int(maxPixels * 4 / (1024 * 1024)) + 1);
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QByteArray DibToBmpFile(QByteArrayView dib) {
    if (dib.size() < 12)
        return QByteArray();
    const auto* p = reinterpret_cast<const unsigned char*>(dib.data());
    const quint32 headerSize = ReadLE32(p);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return QByteArray();
    quint32 bitCount = 0;
    quint32 colorsUsed = 0;
    quint32 compression = 0;
    quint32 paletteEntry = 4;
    if (headerSize == 12) { // the old core header: 16-bit sizes and 3-byte palette entries
        bitCount = p[10] | (p[11] << 8);
        paletteEntry = 3;
    } else {
        if (headerSize < 16)
            return QByteArray();
        bitCount = p[14] | (p[15] << 8);
        if (headerSize >= 20)
            compression = ReadLE32(p + 16);
        if (headerSize >= 36)
            colorsUsed = ReadLE32(p + 32);
    }
    quint32 colors = colorsUsed;
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    if (colors > 256)
        colors = 256;
    quint64 offBits = 14 + quint64(headerSize) + quint64(colors) * paletteEntry;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        offBits += compression == 3 ? 12 : 16; // the colour masks follow the short header
    const quint64 fileSize = 14 + quint64(dib.size());
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = char((fileSize >> (8 * i)) & 0xFF);
        file[10 + i] = char((offBits >> (8 * i)) & 0xFF);
    }
    file.append(dib.data(), dib.size());
    return file;
}

} // namespace ImageDecode
