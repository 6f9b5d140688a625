// Feeds arbitrary bytes to the metafile reader and draws what it keeps into a small image, as a
// task picture or a picture in a text would reach them. Any crash, hang, leak or unbounded
// allocation is a fault; refusing the data or drawing part of it is the expected outcome.
//
// The first byte chooses the header the rest is put behind (MetafileFuzzFrame.h). Inputs that
// failed once live in tests/data/metafile/fuzz and are played by tst_metafile.
#include "MetafileFuzzFrame.h"
#include "ui/Metafile.h"
#include "ui/MetafilePlayer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv); // fonts for the text records
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes =
        MetafileFuzzFrame(data[0], QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)));
    const Mf::MetafilePtr m = Mf::Parse(bytes);
    if (!m)
        return 0;
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Mf::Play(*m, painter, QRectF(0, 0, 64, 48));
    return 0;
}
