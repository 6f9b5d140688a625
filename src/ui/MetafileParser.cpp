// Telling metafiles apart and reading them into Mf::Metafile: the format's own reader fills the
// picture, and the natural size is checked and bounded here for all of them.
#include "ImageDecode.h"
#include "MetafileBuilder.h"

#include <algorithm>
#include <cmath>

namespace Mf {

using namespace Reading;

namespace Reading {

// A packed DIB from its info header and bits, decoded within the pixel budget.
QImage DecodeDib(QByteArrayView bmi, QByteArrayView bits, Builder& b) {
    if (bmi.size() < 12 || b.PixelsLeft() <= 0)
        return QImage();
    QByteArray dib;
    dib.reserve(bmi.size() + bits.size());
    dib.append(bmi.data(), bmi.size());
    dib.append(bits.data(), bits.size());
    QByteArray file = ImageDecode::DibToBmpFile(dib);
    if (file.isEmpty())
        return QImage();
    // The bits start right after the info header and the colour table as the record gives them.
    if (!bits.isEmpty()) {
        const quint64 offBits = 14 + quint64(bmi.size());
        for (int i = 0; i < 4; ++i)
            file[10 + i] = char((offBits >> (8 * i)) & 0xFF);
    }
    QImage image = ImageDecode::Decode(file, "BMP", b.PixelsLeft());
    if (!image.isNull())
        b.UsePixels(qint64(image.width()) * image.height());
    return image;
}

} // namespace Reading

bool LooksLikeMetafile(QByteArrayView data) {
    if (data.size() >= 4 && Le32(data.data()) == PlaceableKey)
        return true;
    if (data.size() >= 44 && Le32(data.data()) == 1 && Le32(data.data() + 40) == EmfSignature)
        return true;
    if (data.size() >= 4) {
        const auto* u = reinterpret_cast<const unsigned char*>(data.data());
        const int type = u[0] | (u[1] << 8), words = u[2] | (u[3] << 8);
        return (type == 1 || type == 2) && words == 9;
    }
    return false;
}

MetafilePtr Parse(QByteArrayView data, const Limits& limits) {
    auto m = std::make_shared<Metafile>();
    Builder b(*m, limits);
    const bool emf = data.size() >= 44 && Le32(data.data()) == 1 && Le32(data.data() + 40) == EmfSignature;
    const bool ok = emf ? ReadEmf(data, b) : ReadWmf(data, b);
    if (!ok)
        return nullptr;
    const QSizeF s = m->naturalSize;
    if (!(s.width() > 0 && s.height() > 0) || !std::isfinite(s.width()) || !std::isfinite(s.height()) ||
        m->frame.width() == 0 || m->frame.height() == 0)
        return nullptr;
    // A picture is at most a few screens big, whatever its header claims; the drawing keeps its shape.
    constexpr double MaxSide = 16384;
    const double longest = std::max(s.width(), s.height());
    if (longest > MaxSide)
        m->naturalSize = s * (MaxSide / longest);
    if (m->naturalSize.width() < 1)
        m->naturalSize.setWidth(1);
    if (m->naturalSize.height() < 1)
        m->naturalSize.setHeight(1);
    return m;
}

} // namespace Mf