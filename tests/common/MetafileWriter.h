#pragma once
// Writes WMF and EMF files record by record, the way drawing programs and formula editors write
// them, for the tests, the benchmark and the fuzzer's seeds. Records are written as given: a test
// that wants a damaged file writes a damaged record.
#include "model/ByteWriter.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

namespace MfWrite {

// Little-endian parameters of one record.
class Params {
public:
    Params& U8(quint8 v) { return W().WriteUInt8(v), *this; }
    Params& U16(quint16 v) { return W().WriteUInt16(v), *this; }
    Params& I16(int v) { return W().WriteInt16(qint16(v)), *this; }
    Params& U32(quint32 v) { return W().WriteUInt32(v), *this; }
    Params& I32(qint32 v) { return W().WriteInt32(v), *this; }
    Params& F32(float v) { return W().WriteFloat(v), *this; }
    Params& Bytes(QByteArrayView b) { return W().WriteBytes(b), *this; }
    // Pads with zero bytes to a multiple of `n`.
    Params& Pad(int n) {
        while (m_b.size() % n)
            m_b.append('\0');
        return *this;
    }
    const QByteArray& Data() const { return m_b; }

private:
    ByteWriter W() { return ByteWriter(m_b); }
    QByteArray m_b;
};

inline quint32 Rgb(int r, int g, int b) {
    return quint32(r) | (quint32(g) << 8) | (quint32(b) << 16);
}

// A UTF-16 string as wide-text records hold it.
inline QByteArray Utf16(const QString& s) {
    QByteArray b;
    ByteWriter w(b);
    for (const QChar c : s)
        w.WriteUInt16(c.unicode());
    return b;
}

class Wmf {
public:
    // A placeable file when `box` is not empty: its logical box and logical units per inch.
    explicit Wmf(QRect box = QRect(), quint16 inch = 1440) : m_box(box), m_inch(inch) {}

    Wmf& Rec(quint16 function, const Params& p) {
        QByteArray params = p.Data();
        if (params.size() % 2)
            params.append('\0');
        Params r;
        r.U32(quint32(3 + params.size() / 2)).U16(function).Bytes(params);
        m_records += r.Data();
        m_maxWords = std::max<quint32>(m_maxWords, quint32(3 + params.size() / 2));
        return *this;
    }
    // A record with a size field of its own, which need not match what follows.
    Wmf& Raw(const QByteArray& bytes) {
        m_records += bytes;
        return *this;
    }

    Wmf& MapMode(int mode) { return Rec(0x0103, Params().U16(quint16(mode))); }
    Wmf& WindowOrg(int x, int y) { return Rec(0x020B, Params().I16(y).I16(x)); }
    Wmf& WindowExt(int w, int h) { return Rec(0x020C, Params().I16(h).I16(w)); }
    Wmf& SaveDc() { return Rec(0x001E, Params()); }
    Wmf& RestoreDc(int n = -1) { return Rec(0x0127, Params().I16(n)); }
    Wmf& BkMode(int mode) { return Rec(0x0102, Params().U16(quint16(mode))); }
    Wmf& BkColor(quint32 c) { return Rec(0x0201, Params().U32(c)); }
    Wmf& TextColor(quint32 c) { return Rec(0x0209, Params().U32(c)); }
    Wmf& TextAlign(int a) { return Rec(0x012E, Params().U16(quint16(a))); }
    Wmf& FillMode(int m) { return Rec(0x0106, Params().U16(quint16(m))); }
    Wmf& Pen(int style, int width, quint32 colour) {
        return Rec(0x02FA, Params().U16(quint16(style)).I16(width).I16(0).U32(colour));
    }
    Wmf& Brush(int style, quint32 colour, int hatch = 0) {
        return Rec(0x02FC, Params().U16(quint16(style)).U32(colour).U16(quint16(hatch)));
    }
    Wmf& Font(int height, const QByteArray& face, int charset = 0, int weight = 400, int escapement = 0,
              bool italic = false) {
        Params p;
        p.I16(height).I16(0).I16(escapement).I16(escapement).I16(weight);
        p.U8(italic).U8(0).U8(0).U8(quint8(charset)).U8(0).U8(0).U8(0).U8(0);
        QByteArray name = face.left(31);
        name.append('\0');
        p.Bytes(name);
        return Rec(0x02FB, p);
    }
    Wmf& Select(int slot) { return Rec(0x012D, Params().U16(quint16(slot))); }
    Wmf& Delete(int slot) { return Rec(0x01F0, Params().U16(quint16(slot))); }
    Wmf& MoveTo(int x, int y) { return Rec(0x0214, Params().I16(y).I16(x)); }
    Wmf& LineTo(int x, int y) { return Rec(0x0213, Params().I16(y).I16(x)); }
    Wmf& Rectangle(int l, int t, int r, int b) { return Rec(0x041B, Params().I16(b).I16(r).I16(t).I16(l)); }
    Wmf& Ellipse(int l, int t, int r, int b) { return Rec(0x0418, Params().I16(b).I16(r).I16(t).I16(l)); }
    Wmf& RoundRect(int l, int t, int r, int b, int w, int h) {
        return Rec(0x061C, Params().I16(h).I16(w).I16(b).I16(r).I16(t).I16(l));
    }
    Wmf& Arc(int function, QRect box, QPoint start, QPoint end) {
        return Rec(quint16(function), Params()
                                          .I16(end.y())
                                          .I16(end.x())
                                          .I16(start.y())
                                          .I16(start.x())
                                          .I16(box.top() + box.height())
                                          .I16(box.left() + box.width())
                                          .I16(box.top())
                                          .I16(box.left()));
    }
    Wmf& Poly(quint16 function, const QList<QPoint>& points) {
        Params p;
        p.I16(int(points.size()));
        for (const QPoint& pt : points)
            p.I16(pt.x()).I16(pt.y());
        return Rec(function, p);
    }
    Wmf& Polygon(const QList<QPoint>& points) { return Poly(0x0324, points); }
    Wmf& Polyline(const QList<QPoint>& points) { return Poly(0x0325, points); }
    Wmf& PolyPolygon(const QList<QList<QPoint>>& parts) {
        Params p;
        p.U16(quint16(parts.size()));
        for (const auto& part : parts)
            p.U16(quint16(part.size()));
        for (const auto& part : parts)
            for (const QPoint& pt : part)
                p.I16(pt.x()).I16(pt.y());
        return Rec(0x0538, p);
    }
    Wmf& TextOut(int x, int y, const QByteArray& text) {
        Params p;
        p.I16(int(text.size())).Bytes(text).Pad(2).I16(y).I16(x);
        return Rec(0x0521, p);
    }
    Wmf& ExtTextOut(int x, int y, const QByteArray& text, const QList<int>& dx = {}, int options = 0,
                    QRect rect = QRect()) {
        Params p;
        p.I16(y).I16(x).I16(int(text.size())).U16(quint16(options));
        if (options & 6)
            p.I16(rect.left()).I16(rect.top()).I16(rect.right()).I16(rect.bottom());
        p.Bytes(text).Pad(2);
        for (const int d : dx)
            p.I16(d);
        return Rec(0x0A32, p);
    }
    Wmf& IntersectClip(int l, int t, int r, int b) {
        return Rec(0x0416, Params().I16(b).I16(r).I16(t).I16(l));
    }
    Wmf& ExcludeClip(int l, int t, int r, int b) { return Rec(0x0415, Params().I16(b).I16(r).I16(t).I16(l)); }
    Wmf& PatBlt(int x, int y, int w, int h, quint32 rop = 0x00F00021) {
        return Rec(0x061D, Params().U32(rop).I16(h).I16(w).I16(y).I16(x));
    }

    QByteArray Bytes() const {
        Params out;
        if (!m_box.isEmpty()) {
            Params h;
            h.U32(0x9AC6CDD7u).U16(0).I16(m_box.left()).I16(m_box.top());
            h.I16(m_box.left() + m_box.width()).I16(m_box.top() + m_box.height()).U16(m_inch).U32(0);
            const QByteArray& d = h.Data();
            quint16 sum = 0;
            for (int i = 0; i < 20; i += 2)
                sum ^= quint16(uchar(d[i]) | (uchar(d[i + 1]) << 8));
            out.Bytes(d).U16(sum);
        }
        const quint32 words = quint32(9 + m_records.size() / 2 + 3);
        out.U16(1).U16(9).U16(0x0300).U32(words).U16(64).U32(m_maxWords).U16(0);
        out.Bytes(m_records);
        out.U32(3).U16(0); // META_EOF
        return out.Data();
    }

private:
    QRect m_box;
    quint16 m_inch;
    QByteArray m_records;
    quint32 m_maxWords = 3;
};

class Emf {
public:
    // `frame` in hundredths of a millimetre; the reference device has 96 pixels per inch.
    explicit Emf(QRect frame) : m_frame(frame) {}

    Emf& Rec(quint32 type, const Params& p) {
        QByteArray params = p.Data();
        while (params.size() % 4)
            params.append('\0');
        Params r;
        r.U32(type).U32(quint32(8 + params.size())).Bytes(params);
        m_records += r.Data();
        ++m_count;
        return *this;
    }
    Emf& Raw(const QByteArray& bytes) {
        m_records += bytes;
        return *this;
    }

    Emf& MapMode(int mode) { return Rec(17, Params().U32(quint32(mode))); }
    Emf& WindowExt(int w, int h) { return Rec(9, Params().I32(w).I32(h)); }
    Emf& WindowOrg(int x, int y) { return Rec(10, Params().I32(x).I32(y)); }
    Emf& ViewportExt(int w, int h) { return Rec(11, Params().I32(w).I32(h)); }
    Emf& ViewportOrg(int x, int y) { return Rec(12, Params().I32(x).I32(y)); }
    Emf& SaveDc() { return Rec(33, Params()); }
    Emf& RestoreDc(int n = -1) { return Rec(34, Params().I32(n)); }
    Emf& BkMode(int mode) { return Rec(18, Params().U32(quint32(mode))); }
    Emf& TextColor(quint32 c) { return Rec(24, Params().U32(c)); }
    Emf& TextAlign(int a) { return Rec(22, Params().U32(quint32(a))); }
    Emf& Pen(int slot, int style, int width, quint32 colour) {
        return Rec(38, Params().U32(quint32(slot)).U32(quint32(style)).I32(width).I32(0).U32(colour));
    }
    Emf& Brush(int slot, int style, quint32 colour, int hatch = 0) {
        return Rec(39, Params().U32(quint32(slot)).U32(quint32(style)).U32(colour).U32(quint32(hatch)));
    }
    Emf& Font(int slot, int height, const QString& face, int charset = 0, int weight = 400,
              int escapement = 0, bool italic = false) {
        Params p;
        p.U32(quint32(slot)).I32(height).I32(0).I32(escapement).I32(escapement).I32(weight);
        p.U8(italic).U8(0).U8(0).U8(quint8(charset)).U8(0).U8(0).U8(0).U8(0);
        QByteArray name = Utf16(face.left(31));
        name.append(QByteArray(64 - name.size(), '\0'));
        p.Bytes(name);
        return Rec(82, p);
    }
    Emf& Select(quint32 slot) { return Rec(37, Params().U32(slot)); }
    Emf& Delete(int slot) { return Rec(40, Params().U32(quint32(slot))); }
    Emf& MoveTo(int x, int y) { return Rec(27, Params().I32(x).I32(y)); }
    Emf& LineTo(int x, int y) { return Rec(54, Params().I32(x).I32(y)); }
    Emf& Rectangle(int l, int t, int r, int b) { return Rec(43, Params().I32(l).I32(t).I32(r).I32(b)); }
    Emf& Ellipse(int l, int t, int r, int b) { return Rec(42, Params().I32(l).I32(t).I32(r).I32(b)); }
    Emf& Poly(quint32 type, const QList<QPoint>& points, bool small = false) {
        Params p;
        p.I32(0).I32(0).I32(0).I32(0).U32(quint32(points.size()));
        for (const QPoint& pt : points) {
            if (small)
                p.I16(pt.x()).I16(pt.y());
            else
                p.I32(pt.x()).I32(pt.y());
        }
        return Rec(type, p);
    }
    Emf& Polygon(const QList<QPoint>& points) { return Poly(3, points); }
    Emf& Polyline(const QList<QPoint>& points) { return Poly(4, points); }
    Emf& Polyline16(const QList<QPoint>& points) { return Poly(87, points, true); }
    Emf& PolyBezier(const QList<QPoint>& points) { return Poly(2, points); }
    Emf& IntersectClip(int l, int t, int r, int b) { return Rec(30, Params().I32(l).I32(t).I32(r).I32(b)); }
    Emf& WorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
        return Rec(35, Params().F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy));
    }
    Emf& BeginPath() { return Rec(59, Params()); }
    Emf& EndPath() { return Rec(60, Params()); }
    Emf& FillPath() { return Rec(62, Params().I32(0).I32(0).I32(0).I32(0)); }
    Emf& StrokePath() { return Rec(64, Params().I32(0).I32(0).I32(0).I32(0)); }
    // EXTTEXTOUTW with an advance for every character when `dx` is given.
    Emf& TextW(int x, int y, const QString& text, const QList<int>& dx = {}, int options = 0) {
        const quint32 n = quint32(text.size());
        const quint32 offString = 8 + 16 + 12 + 8 + 4 + 4 + 4 + 16 + 4; // 76
        const quint32 stringBytes = (n * 2 + 3) / 4 * 4;
        Params p;
        p.I32(0).I32(0).I32(-1).I32(-1).U32(1).F32(0).F32(0);
        p.I32(x).I32(y).U32(n).U32(offString).U32(quint32(options)).I32(0).I32(0).I32(-1).I32(-1);
        p.U32(dx.isEmpty() ? 0 : offString + stringBytes);
        p.Bytes(Utf16(text)).Pad(4);
        for (const int d : dx)
            p.I32(d);
        return Rec(84, p);
    }
    // EMF+ records, collected into one comment record at the next GDI record or at the end.
    Emf& Plus(quint16 type, quint16 flags, const Params& data) {
        QByteArray d = data.Data();
        while (d.size() % 4)
            d.append('\0');
        Params r;
        r.U16(type).U16(flags).U32(quint32(12 + d.size())).U32(quint32(d.size())).Bytes(d);
        Params comment;
        comment.U32(quint32(4 + r.Data().size())).U32(0x2B464D45u).Bytes(r.Data());
        return Rec(70, comment);
    }
    Emf& PlusHeader(bool dual) {
        return Plus(0x4001, dual ? 1 : 0, Params().U32(0xDBC01002).U32(1).U32(96).U32(96));
    }

    QByteArray Bytes() const {
        Params h;
        const double perMm = 96 / 25.4;
        h.U32(1).U32(88);
        h.I32(int(m_frame.left() * perMm / 100)).I32(int(m_frame.top() * perMm / 100));
        h.I32(int((m_frame.left() + m_frame.width()) * perMm / 100))
            .I32(int((m_frame.top() + m_frame.height()) * perMm / 100));
        h.I32(m_frame.left())
            .I32(m_frame.top())
            .I32(m_frame.left() + m_frame.width())
            .I32(m_frame.top() + m_frame.height());
        h.U32(0x464D4520u).U32(0x10000);
        h.U32(quint32(88 + m_records.size() + 20)).U32(quint32(m_count + 2)).U16(16).U16(0);
        h.U32(0).U32(0).U32(0);
        h.I32(960).I32(960).I32(254).I32(254); // 96 pixels per inch
        Params out;
        out.Bytes(h.Data()).Bytes(m_records);
        out.U32(14).U32(20).U32(0).U32(16).U32(20); // EMR_EOF
        return out.Data();
    }

private:
    QRect m_frame;
    QByteArray m_records;
    int m_count = 0;
};

} // namespace MfWrite
