// Feeds arbitrary bytes to the metafile reader and draws what it keeps into a small image, as a
// task picture or a picture in a text would reach them. Any crash, hang, leak or unbounded
// allocation is a fault; refusing the data or drawing part of it is the expected outcome.
//
// The first byte chooses the kind of file the rest is put behind, so that the fuzzer explores the
// records rather than the headers: 0 raw bytes, 1 a placeable WMF header, 2 a WMF header, 3 an EMF
// header.
#include "ui/Metafile.h"
#include "ui/MetafilePlayer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray Frame(unsigned kind, QByteArray body) {
    auto le16 = [](QByteArray& b, int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    QByteArray out;
    switch (kind % 4) {
    case 1:
        le32(out, 0x9AC6CDD7u);
        le16(out, 0);
        le16(out, 0), le16(out, 0), le16(out, 1000), le16(out, 500);
        le16(out, 1440);
        le32(out, 0);
        le16(out, 0);
        [[fallthrough]];
    case 2:
        le16(out, 1), le16(out, 9), le16(out, 0x300);
        le32(out, quint32(9 + body.size() / 2)), le16(out, 16), le32(out, 64), le16(out, 0);
        return out + body;
    case 3: {
        le32(out, 1), le32(out, 88);
        for (const int v : {0, 0, 300, 200, 0, 0, 7937, 5291})
            le32(out, quint32(v));
        le32(out, 0x464D4520u), le32(out, 0x10000), le32(out, quint32(88 + body.size())), le32(out, 10);
        le16(out, 16), le16(out, 0);
        le32(out, 0), le32(out, 0), le32(out, 0);
        for (const int v : {960, 960, 254, 254})
            le32(out, quint32(v));
        return out + body;
    }
    default:
        return body;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv); // fonts for the text records
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes =
        Frame(data[0], QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)));
    const Mf::MetafilePtr m = Mf::Parse(bytes);
    if (!m)
        return 0;
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Mf::Play(*m, painter, QRectF(0, 0, 64, 48));
    return 0;
}
