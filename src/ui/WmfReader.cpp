// Windows metafiles, with or without the placeable header, read record by record into Mf::Metafile.
// Parameters are read through ByteReader over the record's own bytes, so a field past the record's
// end reads as a failure, never past the data.
#include "MetafileBuilder.h"

#include "model/ByteReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Mf::Reading {

namespace {

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

} // namespace

bool ReadWmf(QByteArrayView data, Builder& b) {
    return WmfReader(data, b).Run();
}

} // namespace Mf::Reading
