// The parts the WMF, EMF and EMF+ readers share: the builder that keeps a picture within its
// limits, and the small decoders every format needs.
#pragma once

#include "Metafile.h"

#include <QByteArrayView>
#include <QImage>

#include <algorithm>

namespace Mf::Reading {

constexpr quint32 PlaceableKey = 0x9AC6CDD7u;
constexpr quint32 EmfSignature = 0x464D4520u;     // " EMF"
constexpr quint32 EmfPlusSignature = 0x2B464D45u; // "EMF+"

// Keeps records and their data within the limits; Add* return false once a limit is reached.
class Builder {
public:
    Builder(Metafile& m, const Limits& limits) : m_m(m), m_limits(limits) {}

    bool Room(qint64 points = 0, qint64 chars = 0) const {
        return qint64(m_m.records.size()) < m_limits.maxRecords &&
               qint64(m_m.points.size()) + points <= m_limits.maxPoints &&
               m_chars + chars <= m_limits.maxChars;
    }
    Record& Add(Op op) {
        Record r;
        r.op = op;
        r.layer = m_layer;
        r.first = quint32(m_m.points.size());
        r.aux = quint32(m_m.counts.size());
        m_m.records.push_back(r);
        return m_m.records.back();
    }
    void Point(Record& r, QPointF p) {
        m_m.points.push_back(p);
        ++r.count;
        Extend(p);
    }
    qint32 Text(const QString& s) {
        m_chars += s.size();
        m_m.texts.push_back(s);
        return qint32(m_m.texts.size() - 1);
    }
    // An image for a bitmap record or a pattern brush, within the pixel budget; -1 when none.
    qint32 Image(const QImage& image) {
        if (image.isNull())
            return -1;
        m_m.images.push_back(image);
        return qint32(m_m.images.size() - 1);
    }
    qint64 PixelsLeft() const { return m_limits.maxPixels - m_pixels; }
    void UsePixels(qint64 n) { m_pixels += n; }
    void Extend(QPointF p) {
        if (!m_haveExtent) {
            m_extent = QRectF(p, QSizeF(0, 0));
            m_haveExtent = true;
        } else {
            m_extent.setLeft(std::min(m_extent.left(), p.x()));
            m_extent.setRight(std::max(m_extent.right(), p.x()));
            m_extent.setTop(std::min(m_extent.top(), p.y()));
            m_extent.setBottom(std::max(m_extent.bottom(), p.y()));
        }
    }
    QRectF Extent() const { return m_haveExtent ? m_extent : QRectF(); }
    void SetLayer(Layer l) { m_layer = l; }
    Layer CurrentLayer() const { return m_layer; }
    Metafile& M() { return m_m; }

private:
    Metafile& m_m;
    const Limits& m_limits;
    qint64 m_chars = 0;
    qint64 m_pixels = 0;
    QRectF m_extent;
    bool m_haveExtent = false;
    Layer m_layer = Layer::Gdi;
};

inline quint32 Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (quint32(u[3]) << 24);
}

// A packed DIB from its info header and bits, decoded within the pixel budget.
QImage DecodeDib(QByteArrayView bmi, QByteArrayView bits, Builder& b);

// Each reader fills the builder's picture; false when the data is not a picture of its format.
bool ReadWmf(QByteArrayView data, Builder& b);
bool ReadEmf(QByteArrayView data, Builder& b);
// The EMF+ records of one comment (after its signature); false stops the picture there.
bool ReadEmfPlus(QByteArrayView data, Builder& b);

} // namespace Mf::Reading
