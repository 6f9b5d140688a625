// EMF+ records, the drawing newer editors put in an EMF's comments, read into Mf::Metafile on the
// Plus layer, so that the player draws them instead of the GDI records they stand for.
#include "MetafileBuilder.h"

#include "model/ByteReader.h"

#include <cmath>

namespace Mf::Reading {

namespace {

class EmfPlusReader {
public:
    explicit EmfPlusReader(Builder& b) : m_b(b) {}

    bool Run(QByteArrayView data) {
        qsizetype pos = 0;
        while (data.size() - pos >= 12) {
            ByteReader h(data.sliced(pos, 12));
            const quint16 type = h.ReadUInt16(), flags = h.ReadUInt16();
            const quint32 size = h.ReadUInt32(), dataSize = h.ReadUInt32();
            if (size < 12 || size > quint64(data.size() - pos) || dataSize > size - 12)
                return false;
            if (!m_b.Room())
                return false;
            // Every EMF+ record but GetDC ends the GDI records' turn.
            if (type != 0x4004 && m_b.CurrentLayer() == Layer::GdiInPlus)
                m_b.SetLayer(Layer::Gdi);
            const Layer before = m_b.CurrentLayer();
            if (type != 0x4004)
                m_b.SetLayer(Layer::Plus);
            const bool ok = PlusRecord(type, flags, data.sliced(pos + 12, dataSize));
            if (type != 0x4004)
                m_b.SetLayer(before);
            if (!ok)
                return false;
            pos += size;
        }
        return true;
    }

private:
    static QPointF PlusPoint(ByteReader& r, bool compressed) {
        if (compressed) {
            const qint16 x = r.ReadInt16(), y = r.ReadInt16();
            return QPointF(x, y);
        }
        const float x = r.ReadFloat(), y = r.ReadFloat();
        return QPointF(std::isfinite(x) ? x : 0, std::isfinite(y) ? y : 0);
    }
    static QRectF PlusRect(ByteReader& r, bool compressed) {
        const QPointF p = PlusPoint(r, compressed);
        const QPointF s = PlusPoint(r, compressed);
        return QRectF(p, QSizeF(s.x(), s.y()));
    }
    static double Finite(float v) { return std::isfinite(v) ? v : 0; }
    void PlusRectPoints(Record& rec, const QRectF& rect) {
        m_b.Point(rec, rect.topLeft());
        m_b.Point(rec, rect.bottomRight());
    }
    // A solid colour from an EmfPlusBrush; gradients and textures take a colour of theirs.
    bool PlusBrushColour(ByteReader& r, quint32* argb) {
        r.ReadUInt32(); // version
        const quint32 type = r.ReadUInt32();
        switch (type) {
        case 0: // solid
            *argb = r.ReadUInt32();
            return r.Ok();
        case 1: // hatch: style, fore, back
            r.ReadUInt32();
            *argb = r.ReadUInt32();
            return r.Ok();
        case 4: { // linear gradient: flags, wrap, rect, start and end colours
            r.Skip(4 + 4 + 16);
            const quint32 a = r.ReadUInt32(), b = r.ReadUInt32();
            *argb = ((((a >> 24) + (b >> 24)) / 2) << 24) |
                    (((((a >> 16) & 0xFF) + ((b >> 16) & 0xFF)) / 2) << 16) |
                    (((((a >> 8) & 0xFF) + ((b >> 8) & 0xFF)) / 2) << 8) | (((a & 0xFF) + (b & 0xFF)) / 2);
            m_b.M().plusUnsupported = true;
            return r.Ok();
        }
        default:
            m_b.M().plusUnsupported = true;
            *argb = 0xFF808080u;
            return r.Ok();
        }
    }
    // The brush of a fill record: a colour when the S flag is set, else an object id.
    static void PlusFill(Record& rec, quint16 flags, quint32 brush) {
        if (flags & 0x8000) {
            rec.i[0] = -1;
            rec.u0 = brush;
        } else {
            rec.i[0] = qint32(brush & 0xFF);
        }
    }

    bool PlusObject(quint16 flags, ByteReader& r) {
        const qint32 id = flags & 0xFF;
        const auto kind = qint32((flags >> 8) & 0x7F);
        if (flags & 0x8000) { // continued over several records: only big images do that
            m_b.M().plusUnsupported = true;
            return true;
        }
        switch (kind) {
        case 1: { // brush
            quint32 argb = 0;
            if (!PlusBrushColour(r, &argb))
                return false;
            Record& rec = m_b.Add(Op::PlusObject);
            rec.i[0] = id, rec.i[1] = qint32(PlusKind::Brush), rec.u0 = argb;
            return true;
        }
        case 2: { // pen: version, type, pen data, brush
            r.ReadUInt32();
            r.ReadUInt32();
            const quint32 penFlags = r.ReadUInt32();
            const quint32 unit = r.ReadUInt32();
            const double width = Finite(r.ReadFloat());
            qint32 lineStyle = 0;
            if (penFlags & 0x01)
                r.Skip(24);
            if (penFlags & 0x02)
                r.Skip(4);
            if (penFlags & 0x04)
                r.Skip(4);
            if (penFlags & 0x08)
                r.Skip(4);
            if (penFlags & 0x10)
                r.Skip(4);
            if (penFlags & 0x20)
                lineStyle = r.ReadInt32();
            if (penFlags & 0x40)
                r.Skip(4);
            if (penFlags & 0x80)
                r.Skip(4);
            if (penFlags & 0x100) {
                const qint64 n = r.ReadUInt32();
                if (n * 4 > r.KnownRemaining())
                    return false;
                r.Skip(n * 4);
            }
            if (penFlags & 0x200)
                r.Skip(4);
            if (penFlags & 0x400) {
                const qint64 n = r.ReadUInt32();
                if (n * 4 > r.KnownRemaining())
                    return false;
                r.Skip(n * 4);
            }
            for (const quint32 cap : {0x800u, 0x1000u}) {
                if (penFlags & cap) {
                    const qint64 n = r.ReadUInt32();
                    if (n > r.KnownRemaining())
                        return false;
                    r.Skip(n);
                }
            }
            quint32 argb = 0xFF000000u;
            if (!PlusBrushColour(r, &argb))
                return false;
            Record& rec = m_b.Add(Op::PlusObject);
            rec.i[0] = id, rec.i[1] = qint32(PlusKind::Pen), rec.i[2] = lineStyle, rec.i[3] = qint32(unit);
            rec.r[0] = width;
            rec.u0 = argb;
            return true;
        }
        case 3: { // path: version, count, flags, points, types
            r.ReadUInt32();
            const qint64 n = r.ReadUInt32();
            const quint32 pathFlags = r.ReadUInt32();
            const bool compressed = pathFlags & 0x4000;
            if (pathFlags & 0x1000) { // run-length encoded relative points
                m_b.M().plusUnsupported = true;
                return true;
            }
            if (!r.Ok() || n * ((compressed ? 4 : 8) + 1) > r.KnownRemaining() || !m_b.Room(n))
                return false;
            Record& rec = m_b.Add(Op::PlusObject);
            rec.i[0] = id, rec.i[1] = qint32(PlusKind::Path);
            for (qint64 k = 0; k < n; ++k)
                m_b.Point(rec, PlusPoint(r, compressed));
            for (qint64 k = 0; k < n; ++k)
                m_b.M().counts.push_back(r.ReadUInt8());
            rec.auxCount = quint32(n);
            return r.Ok();
        }
        case 6: { // font: version, em size, unit, style, reserved, length, family
            r.ReadUInt32();
            const double em = Finite(r.ReadFloat());
            const quint32 unit = r.ReadUInt32();
            const qint32 style = r.ReadInt32();
            r.ReadUInt32();
            const qint64 n = r.ReadUInt32();
            if (!r.Ok() || n * 2 > r.KnownRemaining() || n > 256)
                return false;
            QString family;
            for (qint64 k = 0; k < n; ++k)
                family.append(QChar(char16_t(r.ReadUInt16())));
            Record& rec = m_b.Add(Op::PlusObject);
            rec.i[0] = id, rec.i[1] = qint32(PlusKind::Font), rec.i[2] = qint32(unit), rec.i[3] = style;
            rec.r[0] = em;
            rec.text = m_b.Text(family);
            return true;
        }
        case 7: // string format: the player draws strings at the top left of their box
            return true;
        default: // images, regions, image attributes, custom line caps
            m_b.M().plusUnsupported = true;
            return true;
        }
    }

    bool PlusRecord(quint16 type, quint16 flags, QByteArrayView data) {
        ByteReader r(data);
        const bool compressed = flags & 0x4000;
        switch (type) {
        case 0x4001: { // header: version, flags, dpi
            r.ReadUInt32();
            r.ReadUInt32();
            const quint32 dx = r.ReadUInt32(), dy = r.ReadUInt32();
            Metafile& m = m_b.M();
            m.hasPlus = true;
            m.plusDual = flags & 1;
            if (dx > 0 && dx < 100000 && dy > 0 && dy < 100000)
                m.plusDpiX = dx, m.plusDpiY = dy;
            return true;
        }
        case 0x4002: // end of file
        case 0x4003: // comment
        case 0x401D: // rendering origin
        case 0x401F: // text rendering hint
        case 0x4020: // text contrast
        case 0x4021: // interpolation mode
        case 0x4022: // pixel offset mode
        case 0x4023: // compositing mode
        case 0x4024: // compositing quality
            return true;
        case 0x4004: // GetDC: the GDI records that follow draw in place of EMF+ ones
            m_b.SetLayer(Layer::GdiInPlus);
            return true;
        case 0x4008:
            return PlusObject(flags, r);
        case 0x4009: {
            const quint32 argb = r.ReadUInt32();
            m_b.Add(Op::PlusClear).u0 = argb;
            return r.Ok();
        }
        case 0x400A:   // FillRects: brush, count, rects
        case 0x400B: { // DrawRects: count, rects
            const quint32 brush = type == 0x400A ? r.ReadUInt32() : 0;
            const qint64 n = r.ReadUInt32();
            if (!r.Ok() || n * (compressed ? 8 : 16) > r.KnownRemaining() || !m_b.Room(n * 2))
                return false;
            Record& rec = m_b.Add(type == 0x400A ? Op::PlusFillRects : Op::PlusDrawRects);
            if (type == 0x400A)
                PlusFill(rec, flags, brush);
            else
                rec.i[0] = flags & 0xFF;
            for (qint64 k = 0; k < n; ++k)
                PlusRectPoints(rec, PlusRect(r, compressed));
            return r.Ok();
        }
        case 0x400C:              // FillPolygon: brush, count, points
        case 0x400D: {            // DrawLines: count, points
            if (flags & 0x0800) { // relative points
                m_b.M().plusUnsupported = true;
                return true;
            }
            const quint32 brush = type == 0x400C ? r.ReadUInt32() : 0;
            const qint64 n = r.ReadUInt32();
            if (!r.Ok() || n * (compressed ? 4 : 8) > r.KnownRemaining() || !m_b.Room(n))
                return false;
            Record& rec = m_b.Add(type == 0x400C ? Op::PlusFillPolygon : Op::PlusDrawLines);
            if (type == 0x400C) {
                PlusFill(rec, flags, brush);
            } else {
                rec.i[0] = flags & 0xFF;
                rec.i[1] = (flags & 0x2000) != 0;
            }
            for (qint64 k = 0; k < n; ++k)
                m_b.Point(rec, PlusPoint(r, compressed));
            return r.Ok();
        }
        case 0x400E:   // FillEllipse: brush, rect
        case 0x400F: { // DrawEllipse: rect
            const quint32 brush = type == 0x400E ? r.ReadUInt32() : 0;
            const QRectF rect = PlusRect(r, compressed);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(type == 0x400E ? Op::PlusFillEllipse : Op::PlusDrawEllipse);
            if (type == 0x400E)
                PlusFill(rec, flags, brush);
            else
                rec.i[0] = flags & 0xFF;
            PlusRectPoints(rec, rect);
            return true;
        }
        case 0x4010:   // FillPie: brush, start, sweep, rect
        case 0x4012: { // DrawArc: start, sweep, rect
            const quint32 brush = type == 0x4010 ? r.ReadUInt32() : 0;
            const double start = Finite(r.ReadFloat()), sweep = Finite(r.ReadFloat());
            const QRectF rect = PlusRect(r, compressed);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(type == 0x4010 ? Op::PlusFillPie : Op::PlusDrawArc);
            if (type == 0x4010)
                PlusFill(rec, flags, brush);
            else
                rec.i[0] = flags & 0xFF;
            rec.r[0] = start, rec.r[1] = sweep;
            PlusRectPoints(rec, rect);
            return true;
        }
        case 0x4014: { // FillPath: brush
            const quint32 brush = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PlusFillPath);
            PlusFill(rec, flags, brush);
            rec.i[1] = flags & 0xFF;
            return true;
        }
        case 0x4015: { // DrawPath: pen
            const quint32 pen = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PlusDrawPath);
            rec.i[0] = qint32(pen & 0xFF);
            rec.i[1] = flags & 0xFF;
            return true;
        }
        case 0x401C: { // DrawString: brush, format, length, layout rect, text
            const quint32 brush = r.ReadUInt32();
            r.ReadUInt32();
            const qint64 n = r.ReadUInt32();
            const QRectF rect = PlusRect(r, false);
            if (!r.Ok() || n * 2 > r.KnownRemaining() || !m_b.Room(0, n))
                return false;
            QString text(n, Qt::Uninitialized);
            for (qint64 k = 0; k < n; ++k)
                text[k] = QChar(char16_t(r.ReadUInt16()));
            Record& rec = m_b.Add(Op::PlusDrawString);
            PlusFill(rec, flags, brush);
            rec.i[1] = flags & 0xFF;
            PlusRectPoints(rec, rect);
            rec.text = m_b.Text(text);
            return true;
        }
        case 0x4036: { // DrawDriverString: brush, options, matrix present, count, glyphs, positions
            const quint32 brush = r.ReadUInt32();
            const quint32 options = r.ReadUInt32();
            r.ReadUInt32();
            const qint64 n = r.ReadUInt32();
            if (!r.Ok() || n * 10 > r.KnownRemaining() || !m_b.Room(n, n))
                return false;
            if (!(options & 1)) { // glyph indices of a font we do not have
                m_b.M().plusUnsupported = true;
                return true;
            }
            QString text(n, Qt::Uninitialized);
            for (qint64 k = 0; k < n; ++k)
                text[k] = QChar(char16_t(r.ReadUInt16()));
            Record& rec = m_b.Add(Op::PlusDrawDriverString);
            PlusFill(rec, flags, brush);
            rec.i[1] = flags & 0xFF;
            rec.i[2] = (options & 4) != 0; // realized advance: only the first position counts
            for (qint64 k = 0; k < n; ++k)
                m_b.Point(rec, PlusPoint(r, false));
            rec.text = m_b.Text(text);
            return r.Ok();
        }
        case 0x401E: {
            Record& rec = m_b.Add(Op::PlusSetAntiAlias);
            rec.i[0] = flags & 1;
            return true;
        }
        case 0x4025:
        case 0x4026: {
            const quint32 id = r.ReadUInt32();
            if (!r.Ok())
                return false;
            m_b.Add(type == 0x4025 ? Op::PlusSave : Op::PlusRestore).i[0] = qint32(id);
            return true;
        }
        case 0x402A:
        case 0x402C: {
            double v[6];
            for (double& x : v)
                x = Finite(r.ReadFloat());
            if (!r.Ok())
                return false;
            Record& rec =
                m_b.Add(type == 0x402A ? Op::PlusSetWorldTransform : Op::PlusMultiplyWorldTransform);
            rec.i[0] = (flags & 0x2000) != 0;
            rec.aux = quint32(m_b.M().reals.size());
            m_b.M().reals.insert(m_b.M().reals.end(), v, v + 6);
            rec.auxCount = 6;
            return true;
        }
        case 0x402B:
            m_b.Add(Op::PlusResetWorldTransform);
            return true;
        case 0x402D:
        case 0x402E: {
            const double a = Finite(r.ReadFloat()), b = Finite(r.ReadFloat());
            if (!r.Ok())
                return false;
            Record& rec =
                m_b.Add(type == 0x402D ? Op::PlusTranslateWorldTransform : Op::PlusScaleWorldTransform);
            rec.i[0] = (flags & 0x2000) != 0;
            rec.r[0] = a, rec.r[1] = b;
            return true;
        }
        case 0x402F: {
            const double a = Finite(r.ReadFloat());
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PlusRotateWorldTransform);
            rec.i[0] = (flags & 0x2000) != 0;
            rec.r[0] = a;
            return true;
        }
        case 0x4030: {
            const double scale = Finite(r.ReadFloat());
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PlusSetPageTransform);
            rec.i[0] = flags & 0xFF;
            rec.r[0] = scale;
            return true;
        }
        case 0x4031:
            m_b.Add(Op::PlusResetClip);
            return true;
        case 0x4032: {
            const QRectF rect = PlusRect(r, false);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PlusSetClipRect);
            rec.i[0] = (flags >> 8) & 0xF;
            PlusRectPoints(rec, rect);
            return true;
        }
        default:
            m_b.M().plusUnsupported = true;
            return true;
        }
    }

    Builder& m_b;
};

} // namespace

bool ReadEmfPlus(QByteArrayView data, Builder& b) {
    return EmfPlusReader(b).Run(data);
}

} // namespace Mf::Reading
