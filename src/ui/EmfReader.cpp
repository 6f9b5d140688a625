// Enhanced metafiles read record by record into Mf::Metafile; the EMF+ records in their comments go
// to the EMF+ reader. Parameters are read through ByteReader over the record's own bytes.
#include "MetafileBuilder.h"

#include "model/ByteReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Mf::Reading {

namespace {

class EmfReader {
public:
    EmfReader(QByteArrayView data, Builder& b) : m_data(data), m_b(b) {}

    bool Run() {
        Metafile& m = m_b.M();
        m.format = Format::Emf;
        if (m_data.size() < 88)
            return false;
        ByteReader h(m_data.first(88));
        const quint32 type = h.ReadUInt32();
        const quint32 size = h.ReadUInt32();
        qint32 b[4], f[4];
        for (qint32& v : b)
            v = h.ReadInt32();
        for (qint32& v : f)
            v = h.ReadInt32();
        const quint32 signature = h.ReadUInt32();
        if (type != 1 || signature != EmfSignature || size < 88 || size > quint64(m_data.size()) ||
            (size & 3))
            return false;
        h.Skip(4 + 4 + 4 + 2 + 2 + 4 + 4 +
               4); // version, bytes, records, handles, reserved, description, palette
        const qint32 devW = h.ReadInt32(), devH = h.ReadInt32(), mmW = h.ReadInt32(), mmH = h.ReadInt32();
        if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
            m.devicePerMmX = double(devW) / mmW;
            m.devicePerMmY = double(devH) / mmH;
        }
        const QRectF frameMm(QPointF(f[0] / 100.0, f[1] / 100.0), QPointF(f[2] / 100.0, f[3] / 100.0));
        if (frameMm.width() > 0 && frameMm.height() > 0) {
            m.frame = QRectF(QPointF(frameMm.left() * m.devicePerMmX, frameMm.top() * m.devicePerMmY),
                             QPointF(frameMm.right() * m.devicePerMmX, frameMm.bottom() * m.devicePerMmY));
            m.naturalSize = QSizeF(frameMm.width() * 96 / 25.4, frameMm.height() * 96 / 25.4);
        } else if (b[2] > b[0] && b[3] > b[1]) {
            // No frame: the bounds in device pixels, inclusive.
            m.frame = QRectF(QPointF(b[0], b[1]), QPointF(b[2] + 1.0, b[3] + 1.0));
            m.naturalSize = QSizeF((m.frame.width()) * 96 / 25.4 / m.devicePerMmX,
                                   (m.frame.height()) * 96 / 25.4 / m.devicePerMmY);
        } else {
            return false;
        }
        qsizetype pos = size;
        while (m_data.size() - pos >= 8) {
            const quint32 rtype = Le32(m_data.data() + pos);
            const quint32 rsize = Le32(m_data.data() + pos + 4);
            if (rsize < 8 || (rsize & 3) || rsize > quint64(m_data.size() - pos)) {
                m.truncated = true;
                break;
            }
            if (rtype == 14)
                break; // EMR_EOF
            if (!m_b.Room()) {
                m.truncated = true;
                break;
            }
            if (!OnRecord(rtype, m_data.sliced(pos, rsize))) {
                m.truncated = true;
                break;
            }
            pos += rsize;
        }
        return true;
    }

private:
    static QPointF Pt(ByteReader& r) {
        const qint32 x = r.ReadInt32();
        const qint32 y = r.ReadInt32();
        return QPointF(x, y);
    }
    void Rect(ByteReader& r, Record& rec) {
        const QPointF a = Pt(r);
        const QPointF b = Pt(r);
        m_b.Point(rec, a);
        m_b.Point(rec, b);
    }
    bool PointOp(Op op, ByteReader& r) {
        const QPointF p = Pt(r);
        if (!r.Ok())
            return false;
        Record& rec = m_b.Add(op);
        m_b.Point(rec, p);
        return true;
    }
    bool Simple(Op op, ByteReader& r) {
        const quint32 v = r.ReadUInt32();
        if (!r.Ok())
            return false;
        Record& rec = m_b.Add(op);
        rec.i[0] = qint32(v);
        rec.u0 = v;
        return true;
    }
    // Points of a poly record: 32-bit or 16-bit pairs.
    bool Poly(Op op, ByteReader& r, bool small) {
        r.Skip(16); // bounds
        const qint64 n = r.ReadUInt32();
        const qint64 each = small ? 4 : 8;
        if (!r.Ok() || n * each > r.KnownRemaining() || !m_b.Room(n))
            return false;
        Record& rec = m_b.Add(op);
        for (qint64 k = 0; k < n; ++k) {
            if (small) {
                const qint16 x = r.ReadInt16(), y = r.ReadInt16();
                m_b.Point(rec, QPointF(x, y));
            } else {
                m_b.Point(rec, Pt(r));
            }
        }
        return r.Ok();
    }
    bool PolyPoly(Op op, ByteReader& r, bool small) {
        r.Skip(16);
        const qint64 parts = r.ReadUInt32();
        const qint64 total = r.ReadUInt32();
        const qint64 each = small ? 4 : 8;
        if (!r.Ok() || parts * 4 > r.KnownRemaining() || total * each > r.KnownRemaining() - parts * 4 ||
            !m_b.Room(total))
            return false;
        std::vector<quint32> counts;
        counts.reserve(size_t(parts));
        qint64 sum = 0;
        for (qint64 k = 0; k < parts; ++k) {
            counts.push_back(r.ReadUInt32());
            sum += counts.back();
        }
        if (sum != total)
            return false;
        Record& rec = m_b.Add(op);
        m_b.M().counts.insert(m_b.M().counts.end(), counts.begin(), counts.end());
        rec.auxCount = quint32(parts);
        for (qint64 k = 0; k < total; ++k) {
            if (small) {
                const qint16 x = r.ReadInt16(), y = r.ReadInt16();
                m_b.Point(rec, QPointF(x, y));
            } else {
                m_b.Point(rec, Pt(r));
            }
        }
        return r.Ok();
    }
    // A DIB at offsets within the record; a null image when the offsets do not fit.
    QImage Dib(QByteArrayView rec, quint32 offBmi, quint32 cbBmi, quint32 offBits, quint32 cbBits) {
        if (cbBmi == 0 || quint64(offBmi) + cbBmi > quint64(rec.size()) ||
            quint64(offBits) + cbBits > quint64(rec.size()))
            return QImage();
        return DecodeDib(rec.sliced(offBmi, cbBmi), rec.sliced(offBits, cbBits), m_b);
    }
    // Rectangles of a region (RGNDATA): appended as corner pairs.
    bool RegionRects(ByteReader& r, Record& rec, qint64 bytes) {
        if (bytes < 32)
            return bytes == 0;
        r.Skip(8); // size, type
        const qint64 n = r.ReadUInt32();
        r.Skip(4 + 16); // size, bounds
        if (!r.Ok() || n * 16 > r.KnownRemaining() || n * 16 > bytes - 32 || !m_b.Room(n * 2))
            return false;
        for (qint64 k = 0; k < n; ++k)
            Rect(r, rec);
        return r.Ok();
    }

    bool Text(ByteReader& r, QByteArrayView rec, bool wide) {
        r.Skip(16);     // bounds
        r.ReadUInt32(); // graphics mode
        r.ReadFloat();
        r.ReadFloat();
        const QPointF ref = Pt(r);
        const qint64 n = r.ReadUInt32();
        const quint32 offString = r.ReadUInt32();
        const quint32 options = r.ReadUInt32();
        const QPointF a = Pt(r);
        const QPointF b = Pt(r);
        const quint32 offDx = r.ReadUInt32();
        const qint64 bytes = n * (wide ? 2 : 1);
        if (!r.Ok() || n > 1 << 20 || quint64(offString) + bytes > quint64(rec.size()) || !m_b.Room(0, n))
            return false;
        Record& out = m_b.Add(Op::Text);
        out.i[0] = qint32(options);
        out.i[1] = (options & 0x0006) != 0 && b.x() > a.x() && b.y() > a.y();
        m_b.Point(out, ref);
        m_b.Point(out, a);
        m_b.Point(out, b);
        const QByteArrayView s = rec.sliced(offString, bytes);
        if (wide) {
            QString text(n, Qt::Uninitialized);
            for (qint64 k = 0; k < n; ++k)
                text[k] = QChar(char16_t(uchar(s[2 * k]) | (uchar(s[2 * k + 1]) << 8)));
            out.text = m_b.Text(text);
        } else {
            out.text = m_b.Text(QString::fromLatin1(s.data(), s.size()));
            out.flags = 1;
        }
        // ETO_PDY: the array holds a horizontal and a vertical step for each character.
        const bool pdy = (options & 0x2000) != 0;
        const qint64 dxBytes = n * 4 * (pdy ? 2 : 1);
        if (offDx > 0 && n > 0 && quint64(offDx) + dxBytes <= quint64(rec.size())) {
            ByteReader d(rec.sliced(offDx, dxBytes));
            out.aux = quint32(m_b.M().reals.size());
            for (qint64 k = 0; k < n; ++k) {
                m_b.M().reals.push_back(d.ReadInt32());
                if (pdy)
                    d.ReadInt32();
            }
            out.auxCount = quint32(n);
        }
        return true;
    }

    bool OnRecord(quint32 type, QByteArrayView rec) {
        ByteReader r(rec.sliced(8));
        switch (type) {
        case 2:
            return Poly(Op::PolyBezier, r, false);
        case 3:
            return Poly(Op::Polygon, r, false);
        case 4:
            return Poly(Op::Polyline, r, false);
        case 5:
            return Poly(Op::PolyBezierTo, r, false);
        case 6:
            return Poly(Op::PolylineTo, r, false);
        case 7:
            return PolyPoly(Op::PolyPolyline, r, false);
        case 8:
            return PolyPoly(Op::PolyPolygon, r, false);
        case 85:
            return Poly(Op::PolyBezier, r, true);
        case 86:
            return Poly(Op::Polygon, r, true);
        case 87:
            return Poly(Op::Polyline, r, true);
        case 88:
            return Poly(Op::PolyBezierTo, r, true);
        case 89:
            return Poly(Op::PolylineTo, r, true);
        case 90:
            return PolyPoly(Op::PolyPolyline, r, true);
        case 91:
            return PolyPoly(Op::PolyPolygon, r, true);
        case 9:
            return PointOp(Op::SetWindowExt, r);
        case 10:
            return PointOp(Op::SetWindowOrg, r);
        case 11:
            return PointOp(Op::SetViewportExt, r);
        case 12:
            return PointOp(Op::SetViewportOrg, r);
        case 15: { // SETPIXELV
            const QPointF p = Pt(r);
            const quint32 c = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::SetPixel);
            out.u0 = c;
            m_b.Point(out, p);
            return true;
        }
        case 17:
            return Simple(Op::SetMapMode, r);
        case 18:
            return Simple(Op::SetBkMode, r);
        case 19:
            return Simple(Op::SetPolyFillMode, r);
        case 20:
            return Simple(Op::SetRop2, r);
        case 22:
            return Simple(Op::SetTextAlign, r);
        case 24:
            return Simple(Op::SetTextColor, r);
        case 25:
            return Simple(Op::SetBkColor, r);
        case 57:
            return Simple(Op::SetArcDirection, r);
        case 26:
            return PointOp(Op::OffsetClip, r);
        case 27:
            return PointOp(Op::MoveTo, r);
        case 54:
            return PointOp(Op::LineTo, r);
        case 29:
        case 30:
        case 42:
        case 43: {
            Record& out = m_b.Add(type == 29   ? Op::ExcludeClipRect
                                  : type == 30 ? Op::IntersectClipRect
                                  : type == 42 ? Op::Ellipse
                                               : Op::Rectangle);
            Rect(r, out);
            return r.Ok();
        }
        case 44: {
            Record& out = m_b.Add(Op::RoundRect);
            Rect(r, out);
            m_b.M().points.push_back(Pt(r));
            ++out.count;
            return r.Ok();
        }
        case 45:
        case 46:
        case 47:
        case 55: {
            Record& out = m_b.Add(type == 45   ? Op::Arc
                                  : type == 46 ? Op::Chord
                                  : type == 47 ? Op::Pie
                                               : Op::ArcTo);
            Rect(r, out);
            m_b.Point(out, Pt(r));
            m_b.Point(out, Pt(r));
            return r.Ok();
        }
        case 41: { // ANGLEARC: centre, radius, start, sweep; drawn as a line to the arc and the arc
            const QPointF c = Pt(r);
            const quint32 radius = r.ReadUInt32();
            const float start = r.ReadFloat(), sweep = r.ReadFloat();
            if (!r.Ok() || !std::isfinite(start) || !std::isfinite(sweep))
                return false;
            const double rad = std::min<double>(radius, 1 << 30);
            auto at = [&](double deg) {
                const double a = deg * M_PI / 180;
                return QPointF(c.x() + rad * std::cos(a), c.y() - rad * std::sin(a));
            };
            Record& line = m_b.Add(Op::LineTo);
            m_b.Point(line, at(start));
            Record& out = m_b.Add(Op::ArcTo);
            m_b.Point(out, QPointF(c.x() - rad, c.y() - rad));
            m_b.Point(out, QPointF(c.x() + rad, c.y() + rad));
            m_b.Point(out, at(start));
            m_b.Point(out, at(start + sweep));
            out.flags = sweep < 0 ? 2 : 1; // the direction the sweep gives
            return true;
        }
        case 31:
        case 32: {
            const qint32 xn = r.ReadInt32(), xd = r.ReadInt32(), yn = r.ReadInt32(), yd = r.ReadInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(type == 32 ? Op::ScaleWindowExt : Op::ScaleViewportExt);
            out.i[0] = xn, out.i[1] = xd, out.i[2] = yn, out.i[3] = yd;
            return true;
        }
        case 33:
            m_b.Add(Op::SaveDc);
            return true;
        case 34:
            return Simple(Op::RestoreDc, r);
        case 35:
        case 36: {
            double v[6];
            for (double& x : v)
                x = r.ReadFloat();
            const quint32 mode = type == 36 ? r.ReadUInt32() : 4;
            if (!r.Ok())
                return false;
            for (const double x : v)
                if (!std::isfinite(x))
                    return true; // a transform that cannot be used is left out
            Record& out = m_b.Add(type == 35 ? Op::SetWorldTransform : Op::ModifyWorldTransform);
            out.i[0] = qint32(mode);
            out.aux = quint32(m_b.M().reals.size());
            m_b.M().reals.insert(m_b.M().reals.end(), v, v + 6);
            out.auxCount = 6;
            return true;
        }
        case 37:
            return Simple(Op::SelectObject, r);
        case 40:
            return Simple(Op::DeleteObject, r);
        case 38: { // CREATEPEN: slot, style, width (x, y), colour
            const quint32 slot = r.ReadUInt32(), style = r.ReadUInt32();
            const qint32 width = r.ReadInt32();
            r.ReadInt32();
            const quint32 colour = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::CreatePen);
            out.i[0] = qint32(slot & 0xFFFF), out.i[1] = qint32(style), out.i[2] = width, out.u0 = colour;
            return true;
        }
        case 95: { // EXTCREATEPEN
            const quint32 slot = r.ReadUInt32();
            r.Skip(16); // the pattern bitmap of a pattern pen: drawn with its colour
            const quint32 style = r.ReadUInt32(), width = r.ReadUInt32();
            const quint32 brushStyle = r.ReadUInt32(), colour = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::CreatePen);
            out.i[0] = qint32(slot & 0xFFFF);
            out.i[1] = qint32(brushStyle == 1 /* BS_NULL */ ? 5 /* PS_NULL */ : style);
            out.i[2] = qint32(std::min<quint32>(width, 1 << 24));
            out.u0 = colour;
            return true;
        }
        case 39: { // CREATEBRUSHINDIRECT
            const quint32 slot = r.ReadUInt32(), style = r.ReadUInt32(), colour = r.ReadUInt32(),
                          hatch = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::CreateBrush);
            out.i[0] = qint32(slot & 0xFFFF), out.i[1] = qint32(style), out.i[2] = qint32(hatch),
            out.i[3] = -1;
            out.u0 = colour;
            return true;
        }
        case 93:
        case 94: { // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
            const quint32 slot = r.ReadUInt32();
            r.ReadUInt32();
            const quint32 offBmi = r.ReadUInt32(), cbBmi = r.ReadUInt32(), offBits = r.ReadUInt32(),
                          cbBits = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::CreateBrush);
            out.i[0] = qint32(slot & 0xFFFF), out.i[1] = 3;
            out.i[3] = m_b.Image(Dib(rec, offBmi, cbBmi, offBits, cbBits));
            return true;
        }
        case 49: { // CREATEPALETTE takes a slot
            const quint32 slot = r.ReadUInt32();
            if (!r.Ok())
                return false;
            m_b.Add(Op::CreatePlaceholder).i[0] = qint32(slot & 0xFFFF);
            return true;
        }
        case 82: { // EXTCREATEFONTINDIRECTW
            const quint32 slot = r.ReadUInt32();
            const qint32 height = r.ReadInt32(), width = r.ReadInt32(), esc = r.ReadInt32();
            r.ReadInt32();
            const qint32 weight = r.ReadInt32();
            const quint8 italic = r.ReadUInt8(), underline = r.ReadUInt8(), strike = r.ReadUInt8(),
                         charset = r.ReadUInt8();
            r.Skip(4);
            QString face;
            for (int k = 0; k < 32 && r.KnownRemaining() >= 2; ++k) {
                const quint16 c = r.ReadUInt16();
                if (c == 0)
                    break;
                face.append(QChar(char16_t(c)));
            }
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::CreateFont);
            out.i[0] = qint32(slot & 0xFFFF), out.i[1] = height, out.i[2] = width, out.i[3] = esc,
            out.i[4] = weight;
            out.flags = quint8((italic ? 1 : 0) | (underline ? 2 : 0) | (strike ? 4 : 0));
            out.u0 = charset;
            out.text = m_b.Text(face);
            return true;
        }
        case 83:
            return Text(r, rec, false);
        case 84:
            return Text(r, rec, true);
        case 59:
            m_b.Add(Op::BeginPath);
            return true;
        case 60:
            m_b.Add(Op::EndPath);
            return true;
        case 61:
            m_b.Add(Op::CloseFigure);
            return true;
        case 62:
        case 63:
        case 64:
            r.Skip(16);
            m_b.Add(type == 62 ? Op::FillPath : type == 63 ? Op::StrokeAndFillPath : Op::StrokePath);
            return true;
        case 68:
            m_b.Add(Op::AbortPath);
            return true;
        case 67:
            return Simple(Op::SelectClipPath, r);
        case 75: { // EXTSELECTCLIPRGN: size, mode, region
            const qint64 bytes = r.ReadUInt32();
            const quint32 mode = r.ReadUInt32();
            if (!r.Ok() || bytes > r.KnownRemaining())
                return false;
            Record& out = m_b.Add(Op::SetClipRects);
            out.i[0] = qint32(mode);
            return RegionRects(r, out, bytes);
        }
        case 71:
        case 74: { // FILLRGN (bounds, size, brush, region), PAINTRGN (bounds, size, region)
            r.Skip(16);
            const qint64 bytes = r.ReadUInt32();
            const qint32 brush = type == 71 ? qint32(r.ReadUInt32()) : -1;
            if (!r.Ok() || bytes > r.KnownRemaining())
                return false;
            Record& out = m_b.Add(Op::FillRect);
            out.i[0] = brush;
            return RegionRects(r, out, bytes);
        }
        case 76:
        case 77:
        case 114: { // BITBLT, STRETCHBLT, ALPHABLEND
            r.Skip(16);
            const qint32 dx = r.ReadInt32(), dy = r.ReadInt32(), dw = r.ReadInt32(), dh = r.ReadInt32();
            const quint32 rop = r.ReadUInt32();
            const qint32 sx = r.ReadInt32(), sy = r.ReadInt32();
            r.Skip(24 + 4 + 4); // source transform, background colour, usage
            const quint32 offBmi = r.ReadUInt32(), cbBmi = r.ReadUInt32(), offBits = r.ReadUInt32(),
                          cbBits = r.ReadUInt32();
            qint32 sw = dw, sh = dh;
            if (type != 76) {
                sw = r.ReadInt32();
                sh = r.ReadInt32();
            }
            if (!r.Ok() && !(type == 76 && cbBmi == 0))
                return false;
            if (cbBmi == 0) {
                Record& out = m_b.Add(Op::PatBlt);
                out.u0 = rop;
                m_b.Point(out, QPointF(dx, dy));
                m_b.Point(out, QPointF(double(dx) + dw, double(dy) + dh));
                return true;
            }
            Record& out = m_b.Add(Op::Bitmap);
            out.u0 = type == 114 ? 0x00CC0020u : rop;
            out.flags = type == 114 ? 1 : 0; // alpha blended
            out.i[0] = m_b.Image(Dib(rec, offBmi, cbBmi, offBits, cbBits));
            out.i[1] = sx, out.i[2] = sy, out.i[3] = sw, out.i[4] = sh;
            m_b.Point(out, QPointF(dx, dy));
            m_b.Point(out, QPointF(double(dx) + dw, double(dy) + dh));
            return true;
        }
        case 81:
        case 80: { // STRETCHDIBITS, SETDIBITSTODEVICE
            r.Skip(16);
            const qint32 dx = r.ReadInt32(), dy = r.ReadInt32(), sx = r.ReadInt32(), sy = r.ReadInt32(),
                         sw = r.ReadInt32(), sh = r.ReadInt32();
            const quint32 offBmi = r.ReadUInt32(), cbBmi = r.ReadUInt32(), offBits = r.ReadUInt32(),
                          cbBits = r.ReadUInt32();
            r.ReadUInt32(); // usage
            quint32 rop = 0x00CC0020u;
            qint32 dw = sw, dh = sh;
            if (type == 81) {
                rop = r.ReadUInt32();
                dw = r.ReadInt32();
                dh = r.ReadInt32();
            }
            if (!r.Ok())
                return false;
            Record& out = m_b.Add(Op::Bitmap);
            out.u0 = rop;
            out.i[0] = m_b.Image(Dib(rec, offBmi, cbBmi, offBits, cbBits));
            out.i[1] = sx, out.i[2] = sy, out.i[3] = sw, out.i[4] = sh;
            m_b.Point(out, QPointF(dx, dy));
            m_b.Point(out, QPointF(double(dx) + dw, double(dy) + dh));
            return true;
        }
        case 70: { // GDICOMMENT: EMF+ records live in comments
            const qint64 n = r.ReadUInt32();
            if (!r.Ok() || n > r.KnownRemaining())
                return false;
            const QByteArrayView data = rec.sliced(12, n);
            if (n >= 4 && Le32(data.data()) == EmfPlusSignature)
                return ReadEmfPlus(data.sliced(4), m_b);
            return true;
        }
        default:
            return true;
        }
    }

    QByteArrayView m_data;
    Builder& m_b;
};

} // namespace

bool ReadEmf(QByteArrayView data, Builder& b) {
    return EmfReader(data, b).Run();
}

} // namespace Mf::Reading
