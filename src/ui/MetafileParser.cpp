// Reading WMF and EMF records into Mf::Metafile. Parameters are read through ByteReader over the
// record's own bytes, so a field past the record's end reads as a failure, never past the data.
#include "Metafile.h"

#include "ImageDecode.h"
#include "model/ByteReader.h"

#include <QBuffer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Mf {

namespace {

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

quint32 Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (quint32(u[3]) << 24);
}

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

// ---------------------------------------------------------------- WMF

class WmfReader {
public:
    WmfReader(QByteArrayView data, Builder& b) : m_data(data), m_b(b) {}

    bool Run() {
        Metafile& m = m_b.M();
        m.format = Format::Wmf;
        qsizetype pos = 0;
        QRectF box;
        double inch = 0;
        if (m_data.size() >= 22 && Le32(m_data.data()) == PlaceableKey) {
            ByteReader r(m_data.sliced(6, 16));
            const qint16 left = r.ReadInt16(), top = r.ReadInt16(), right = r.ReadInt16(),
                         bottom = r.ReadInt16();
            inch = r.ReadUInt16();
            box = QRectF(QPointF(left, top), QPointF(right, bottom));
            m.placeable = true;
            pos = 22;
        }
        if (m_data.size() - pos < 18)
            return false;
        ByteReader h(m_data.sliced(pos, 18));
        const quint16 type = h.ReadUInt16();
        const quint16 headerWords = h.ReadUInt16();
        if ((type != 1 && type != 2) || headerWords != 9)
            return false;
        pos += 18;
        QRectF window;
        bool haveWindowOrg = false, haveWindowExt = false;
        QPointF windowOrg, windowExt;
        while (m_data.size() - pos >= 6) {
            const quint32 words = Le32(m_data.data() + pos);
            const quint16 function = quint16(uchar(m_data[pos + 4]) | (uchar(m_data[pos + 5]) << 8));
            if (words < 3 || qint64(words) * 2 > m_data.size() - pos) {
                m.truncated = true;
                break;
            }
            if (function == 0)
                break; // META_EOF
            if (!m_b.Room()) {
                m.truncated = true;
                break;
            }
            const QByteArrayView params = m_data.sliced(pos + 6, qsizetype(words) * 2 - 6);
            // The first window the records set is the picture's, when no placeable header says.
            if (function == 0x020B && !haveWindowOrg && params.size() >= 4) {
                ByteReader r(params);
                const qint16 y = r.ReadInt16(), x = r.ReadInt16();
                windowOrg = QPointF(x, y);
                haveWindowOrg = true;
            } else if (function == 0x020C && !haveWindowExt && params.size() >= 4) {
                ByteReader r(params);
                const qint16 y = r.ReadInt16(), x = r.ReadInt16();
                windowExt = QPointF(x, y);
                haveWindowExt = true;
            }
            if (!OnRecord(function, params)) {
                m.truncated = true;
                break;
            }
            pos += qsizetype(words) * 2;
        }
        if (m.placeable && box.width() != 0 && box.height() != 0) {
            m.frame = box;
            if (inch <= 0)
                inch = 1440;
            m.naturalSize = QSizeF(std::abs(box.width()) * 96 / inch, std::abs(box.height()) * 96 / inch);
        } else {
            if (haveWindowExt && windowExt.x() != 0 && windowExt.y() != 0)
                window = QRectF(windowOrg, QSizeF(windowExt.x(), windowExt.y()));
            else
                window = m_b.Extent();
            m.frame = window;
            // Nothing says how large a logical unit is: take them as pixels, shrunk to a screen's size.
            QSizeF size(std::abs(window.width()), std::abs(window.height()));
            const double longest = std::max(size.width(), size.height());
            if (longest > 1024)
                size *= 1024 / longest;
            m.naturalSize = size;
        }
        return true;
    }

private:
    // Reverse-order WMF coordinates: pairs are (y, x).
    static QPointF YX(ByteReader& r) {
        const qint16 y = r.ReadInt16();
        const qint16 x = r.ReadInt16();
        return QPointF(x, y);
    }
    // A rectangle written bottom, right, top, left.
    void Box(ByteReader& r, Record& rec) {
        const qint16 bottom = r.ReadInt16(), right = r.ReadInt16(), top = r.ReadInt16(), left = r.ReadInt16();
        m_b.Point(rec, QPointF(left, top));
        m_b.Point(rec, QPointF(right, bottom));
    }
    bool Simple(Op op, qint32 value) {
        m_b.Add(op).i[0] = value;
        return true;
    }
    bool PointOp(Op op, ByteReader& r) {
        const QPointF p = YX(r);
        if (!r.Ok())
            return false;
        Record& rec = m_b.Add(op);
        m_b.Point(rec, p);
        return true;
    }

    bool OnRecord(quint16 function, QByteArrayView params) {
        ByteReader r(params);
        switch (function) {
        case 0x0201:   // SETBKCOLOR
        case 0x0209: { // SETTEXTCOLOR
            const quint32 c = r.ReadUInt32();
            if (!r.Ok())
                return false;
            m_b.Add(function == 0x0201 ? Op::SetBkColor : Op::SetTextColor).u0 = c;
            return true;
        }
        case 0x0102:   // SETBKMODE
        case 0x0103:   // SETMAPMODE
        case 0x0104:   // SETROP2
        case 0x0106:   // SETPOLYFILLMODE
        case 0x012E:   // SETTEXTALIGN
        case 0x0108: { // SETTEXTCHAREXTRA
            const quint16 v = r.ReadUInt16();
            if (!r.Ok())
                return false;
            const Op op = function == 0x0102   ? Op::SetBkMode
                          : function == 0x0103 ? Op::SetMapMode
                          : function == 0x0104 ? Op::SetRop2
                          : function == 0x0106 ? Op::SetPolyFillMode
                          : function == 0x012E ? Op::SetTextAlign
                                               : Op::SetTextCharExtra;
            return Simple(op, function == 0x0108 ? qint16(v) : v);
        }
        case 0x020B:
            return PointOp(Op::SetWindowOrg, r);
        case 0x020C:
            return PointOp(Op::SetWindowExt, r);
        case 0x020D:
            return PointOp(Op::SetViewportOrg, r);
        case 0x020E:
            return PointOp(Op::SetViewportExt, r);
        case 0x020F:
            return PointOp(Op::OffsetWindowOrg, r);
        case 0x0211:
            return PointOp(Op::OffsetViewportOrg, r);
        case 0x0220:
            return PointOp(Op::OffsetClip, r);
        case 0x0410: // SCALEWINDOWEXT: yDenom, yNum, xDenom, xNum
        case 0x0412: {
            const qint16 yd = r.ReadInt16(), yn = r.ReadInt16(), xd = r.ReadInt16(), xn = r.ReadInt16();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(function == 0x0410 ? Op::ScaleWindowExt : Op::ScaleViewportExt);
            rec.i[0] = xn, rec.i[1] = xd, rec.i[2] = yn, rec.i[3] = yd;
            return true;
        }
        case 0x0213: { // LINETO
            const QPointF p = YX(r);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::LineTo);
            m_b.Point(rec, p);
            return true;
        }
        case 0x0214:
            return PointOp(Op::MoveTo, r);
        case 0x0415:   // EXCLUDECLIPRECT
        case 0x0416:   // INTERSECTCLIPRECT
        case 0x0418:   // ELLIPSE
        case 0x041B: { // RECTANGLE
            Record& rec = m_b.Add(function == 0x0415   ? Op::ExcludeClipRect
                                  : function == 0x0416 ? Op::IntersectClipRect
                                  : function == 0x0418 ? Op::Ellipse
                                                       : Op::Rectangle);
            Box(r, rec);
            return r.Ok();
        }
        case 0x061C: { // ROUNDRECT: height, width, box
            const qint16 h = r.ReadInt16(), w = r.ReadInt16();
            Record& rec = m_b.Add(Op::RoundRect);
            Box(r, rec);
            m_b.M().points.push_back(QPointF(w, h));
            ++rec.count;
            return r.Ok();
        }
        case 0x0817:   // ARC
        case 0x081A:   // PIE
        case 0x0830: { // CHORD: yEnd, xEnd, yStart, xStart, box
            const QPointF end = YX(r);
            const QPointF start = YX(r);
            Record& rec = m_b.Add(function == 0x0817 ? Op::Arc : function == 0x081A ? Op::Pie : Op::Chord);
            Box(r, rec);
            m_b.Point(rec, start);
            m_b.Point(rec, end);
            return r.Ok();
        }
        case 0x061D: { // PATBLT: rop, height, width, y, x
            const quint32 rop = r.ReadUInt32();
            const qint16 h = r.ReadInt16(), w = r.ReadInt16(), y = r.ReadInt16(), x = r.ReadInt16();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::PatBlt);
            rec.u0 = rop;
            m_b.Point(rec, QPointF(x, y));
            m_b.Point(rec, QPointF(x + w, y + h));
            return true;
        }
        case 0x001E:
            return Simple(Op::SaveDc, 0);
        case 0x0127:
            return Simple(Op::RestoreDc, r.ReadInt16()) && r.Ok();
        case 0x041F: { // SETPIXEL: colour, y, x
            const quint32 c = r.ReadUInt32();
            const QPointF p = YX(r);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::SetPixel);
            rec.u0 = c;
            m_b.Point(rec, p);
            return true;
        }
        case 0x0324:   // POLYGON
        case 0x0325: { // POLYLINE
            const qint64 n = r.ReadInt16();
            if (!r.Ok() || n < 0 || n * 4 > r.KnownRemaining() || !m_b.Room(n))
                return false;
            Record& rec = m_b.Add(function == 0x0324 ? Op::Polygon : Op::Polyline);
            for (qint64 k = 0; k < n; ++k) {
                const qint16 x = r.ReadInt16(), y = r.ReadInt16();
                m_b.Point(rec, QPointF(x, y));
            }
            return r.Ok();
        }
        case 0x0538: { // POLYPOLYGON: count of polygons, their point counts, the points
            const qint64 parts = r.ReadUInt16();
            if (!r.Ok() || parts * 2 > r.KnownRemaining())
                return false;
            qint64 total = 0;
            std::vector<quint32> counts;
            counts.reserve(size_t(parts));
            for (qint64 k = 0; k < parts; ++k) {
                counts.push_back(r.ReadUInt16());
                total += counts.back();
            }
            if (!r.Ok() || total * 4 > r.KnownRemaining() || !m_b.Room(total))
                return false;
            Record& rec = m_b.Add(Op::PolyPolygon);
            m_b.M().counts.insert(m_b.M().counts.end(), counts.begin(), counts.end());
            rec.auxCount = quint32(parts);
            for (qint64 k = 0; k < total; ++k) {
                const qint16 x = r.ReadInt16(), y = r.ReadInt16();
                m_b.Point(rec, QPointF(x, y));
            }
            return r.Ok();
        }
        case 0x0521: { // TEXTOUT: count, string (padded to even), y, x
            const qint64 n = r.ReadInt16();
            if (!r.Ok() || n < 0 || n + (n & 1) + 4 > r.KnownRemaining() || !m_b.Room(0, n))
                return false;
            const QByteArrayView bytes = params.sliced(2, n);
            r.Skip(n + (n & 1));
            const QPointF p = YX(r);
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::Text);
            m_b.Point(rec, p);
            rec.text = m_b.Text(QString::fromLatin1(bytes.data(), bytes.size()));
            rec.flags = 1; // bytes, decoded by the font's character set when drawn
            return true;
        }
        case 0x0A32: { // EXTTEXTOUT: y, x, count, options, [rect], string, [dx]
            const QPointF p = YX(r);
            const qint64 n = r.ReadInt16();
            const quint16 options = r.ReadUInt16();
            if (!r.Ok() || n < 0 || !m_b.Room(0, n))
                return false;
            QRectF rect;
            const bool hasRect = (options & 0x0006) != 0;
            if (hasRect) {
                const qint16 l = r.ReadInt16(), t = r.ReadInt16(), rr = r.ReadInt16(), bb = r.ReadInt16();
                rect = QRectF(QPointF(l, t), QPointF(rr, bb));
            }
            const qint64 at = params.size() - r.KnownRemaining();
            if (!r.Ok() || n > r.KnownRemaining())
                return false;
            const QByteArrayView bytes = params.sliced(at, n);
            r.Skip(std::min<qint64>(n + (n & 1), r.KnownRemaining()));
            Record& rec = m_b.Add(Op::Text);
            rec.i[0] = options;
            rec.i[1] = hasRect;
            rec.flags = 1;
            m_b.Point(rec, p);
            m_b.Point(rec, rect.topLeft());
            m_b.Point(rec, rect.bottomRight());
            rec.text = m_b.Text(QString::fromLatin1(bytes.data(), bytes.size()));
            // The spacing array is there when the record is long enough to hold it.
            if (r.KnownRemaining() >= n * 2 && n > 0) {
                rec.aux = quint32(m_b.M().reals.size());
                for (qint64 k = 0; k < n; ++k)
                    m_b.M().reals.push_back(r.ReadInt16());
                rec.auxCount = quint32(n);
            }
            return true;
        }
        case 0x012D:   // SELECTOBJECT
        case 0x01F0:   // DELETEOBJECT
        case 0x0234: { // SELECTPALETTE
            const quint16 slot = r.ReadUInt16();
            if (!r.Ok())
                return false;
            if (function != 0x0234)
                m_b.Add(function == 0x012D ? Op::SelectObject : Op::DeleteObject).i[0] = slot;
            return true;
        }
        case 0x02FA: { // CREATEPENINDIRECT: style, width (x, y), colour
            const quint16 style = r.ReadUInt16();
            const qint16 width = r.ReadInt16();
            r.ReadInt16();
            const quint32 colour = r.ReadUInt32();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::CreatePen);
            rec.i[0] = -1, rec.i[1] = style, rec.i[2] = width, rec.u0 = colour;
            return true;
        }
        case 0x02FC: { // CREATEBRUSHINDIRECT: style, colour, hatch
            const quint16 style = r.ReadUInt16();
            const quint32 colour = r.ReadUInt32();
            const quint16 hatch = r.ReadUInt16();
            if (!r.Ok())
                return false;
            Record& rec = m_b.Add(Op::CreateBrush);
            rec.i[0] = -1, rec.i[1] = style, rec.i[2] = hatch, rec.i[3] = -1, rec.u0 = colour;
            return true;
        }
        case 0x0142: { // DIBCREATEPATTERNBRUSH: style, colour usage, packed DIB
            r.ReadUInt16();
            r.ReadUInt16();
            if (!r.Ok())
                return false;
            const QImage image = DecodeDib(params.sliced(4), {}, m_b);
            Record& rec = m_b.Add(Op::CreateBrush);
            rec.i[0] = -1, rec.i[1] = 3 /* BS_PATTERN */, rec.i[3] = m_b.Image(image);
            return true;
        }
        case 0x02FB: { // CREATEFONTINDIRECT
            const qint16 height = r.ReadInt16(), width = r.ReadInt16(), esc = r.ReadInt16();
            r.ReadInt16(); // orientation: the characters turn with the escapement
            const qint16 weight = r.ReadInt16();
            const quint8 italic = r.ReadUInt8(), underline = r.ReadUInt8(), strike = r.ReadUInt8(),
                         charset = r.ReadUInt8();
            r.Skip(4);
            if (!r.Ok())
                return false;
            QByteArray face = params.sliced(18, std::min<qsizetype>(32, params.size() - 18)).toByteArray();
            const qsizetype nul = face.indexOf('\0');
            if (nul >= 0)
                face.truncate(nul);
            Record& rec = m_b.Add(Op::CreateFont);
            rec.i[0] = -1, rec.i[1] = height, rec.i[2] = width, rec.i[3] = esc, rec.i[4] = weight;
            rec.flags = quint8((italic ? 1 : 0) | (underline ? 2 : 0) | (strike ? 4 : 0));
            rec.u0 = charset;
            rec.text = m_b.Text(QString::fromLatin1(face)); // the player decodes by the charset
            return true;
        }
        case 0x00F7: // CREATEPALETTE
        case 0x01F9: // CREATEPATTERNBRUSH (an old device-dependent bitmap)
        case 0x06FF: // CREATEREGION
            m_b.Add(Op::CreatePlaceholder).i[0] = -1;
            return true;
        case 0x0B41:   // DIBSTRETCHBLT
        case 0x0F43:   // STRETCHDIB
        case 0x0940: { // DIBBITBLT
            const quint32 rop = r.ReadUInt32();
            if (function == 0x0F43)
                r.ReadUInt16(); // colour usage
            qint16 sh = 0, sw = 0, sy, sx;
            if (function == 0x0940) {
                sy = r.ReadInt16(), sx = r.ReadInt16();
            } else {
                sh = r.ReadInt16(), sw = r.ReadInt16(), sy = r.ReadInt16(), sx = r.ReadInt16();
            }
            // Without a bitmap the record has one reserved word more and paints with the brush.
            const qsizetype plainSize = function == 0x0940 ? 16 : 20;
            const bool noBitmap = function != 0x0F43 && params.size() == plainSize;
            if (noBitmap)
                r.ReadInt16();
            const qint16 dh = r.ReadInt16(), dw = r.ReadInt16(), dy = r.ReadInt16(), dx = r.ReadInt16();
            if (!r.Ok())
                return false;
            if (function == 0x0940)
                sw = dw, sh = dh;
            if (noBitmap) {
                Record& rec = m_b.Add(Op::PatBlt);
                rec.u0 = rop;
                m_b.Point(rec, QPointF(dx, dy));
                m_b.Point(rec, QPointF(dx + dw, dy + dh));
                return true;
            }
            const qint64 at = params.size() - r.KnownRemaining();
            const QImage image = DecodeDib(params.sliced(at), {}, m_b);
            Record& rec = m_b.Add(Op::Bitmap);
            rec.u0 = rop;
            rec.i[0] = m_b.Image(image);
            rec.i[1] = sx, rec.i[2] = sy, rec.i[3] = sw, rec.i[4] = sh;
            m_b.Point(rec, QPointF(dx, dy));
            m_b.Point(rec, QPointF(dx + dw, dy + dh));
            return true;
        }
        default:
            return true; // records that draw nothing here (escapes, palettes, mapper flags, regions)
        }
    }

    QByteArrayView m_data;
    Builder& m_b;
};

// ---------------------------------------------------------------- EMF

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
                return Plus(data.sliced(4));
            return true;
        }
        default:
            return true;
        }
    }

    // ------------------------------------------------------------ EMF+

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

    bool Plus(QByteArrayView data) {
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

    QByteArrayView m_data;
    Builder& m_b;
};

} // namespace

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
    const bool ok = emf ? EmfReader(data, b).Run() : WmfReader(data, b).Run();
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
