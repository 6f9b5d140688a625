#pragma once
// Formulas and drawings written as formula editors and drawing programs write them: Times New Roman
// for letters and digits, Symbol for Greek letters and relations, the extra symbol font for the
// odd character, ExtTextOut with an advance per character, fraction bars as filled rectangles,
// radicals as polylines, the window set in twips. Each is made from a seed, so a corpus of any size
// is the same on every run. The same formula comes as WMF, EMF, EMF with EMF+ beside its GDI
// records, and EMF+ alone.
#include "MetafileWriter.h"

#include <QPoint>
#include <QRect>

#include <random>
#include <vector>

namespace FormulaCorpus {

enum class Form { Wmf, Emf, EmfPlusDual, EmfPlusOnly };

struct FontSpec {
    int height; // twips, negative: character height
    QByteArray face;
    int charset;
    bool italic;
};

struct Piece {
    enum Kind { Text, Bar, Line } kind = Text;
    int font = 0;
    QPoint at;            // text: baseline origin; bar: top left
    QByteArray bytes;     // text in the font's own codes
    QList<int> dx;        // text: advance of each character
    QSize size;           // bar
    QList<QPoint> points; // line
};

struct Formula {
    QSize twips; // the picture's size
    std::vector<FontSpec> fonts;
    std::vector<Piece> pieces;
};

// Rough advances in twips of a font of `height`, enough to place characters as an editor would.
inline int Advance(char c, int height) {
    const int h = std::abs(height);
    if (c == ' ' || c == '.' || c == ',')
        return h / 4;
    if (c >= 'A' && c <= 'Z')
        return h * 7 / 10;
    if (c == 'm' || c == 'w')
        return h * 3 / 4;
    if (c == 'i' || c == 'l' || c == 'j' || c == 'f' || c == 't')
        return h * 3 / 10;
    return h / 2;
}

class Builder {
public:
    explicit Builder(Formula& f) : m_f(f) {}
    int Font(int height, QByteArray face, int charset, bool italic = false) {
        m_f.fonts.push_back({height, std::move(face), charset, italic});
        return int(m_f.fonts.size() - 1);
    }
    // Text at x on the baseline y; returns x after it.
    int Text(int font, int x, int y, const QByteArray& bytes) {
        Piece p;
        p.kind = Piece::Text;
        p.font = font;
        p.at = QPoint(x, y);
        p.bytes = bytes;
        const int h = m_f.fonts[size_t(font)].height;
        for (const char c : bytes) {
            p.dx.append(Advance(c, h));
            x += p.dx.back();
        }
        m_f.pieces.push_back(p);
        return x;
    }
    void Bar(int x, int y, int w, int h) {
        Piece p;
        p.kind = Piece::Bar;
        p.at = QPoint(x, y);
        p.size = QSize(w, h);
        m_f.pieces.push_back(p);
    }
    void Line(QList<QPoint> points) {
        Piece p;
        p.kind = Piece::Line;
        p.points = std::move(points);
        m_f.pieces.push_back(p);
    }

private:
    Formula& m_f;
};

// One of the formulas: a fraction with a radical (the roots of a quadratic), Greek letters with
// relations, a sum with limits, an integral, a limit with an arrow, a root of a fraction.
inline Formula Make(unsigned seed) {
    std::mt19937 rng(seed);
    Formula f;
    Builder b(f);
    const int size = 200 + int(rng() % 5) * 40; // 10 to 18 points
    const int roman = b.Font(-size, "Times New Roman", 0);
    const int italic = b.Font(-size, "Times New Roman", 0, true);
    const int small = b.Font(-size * 7 / 12, "Times New Roman", 0);
    const int symbol = b.Font(-size, "Symbol", 2);
    const int bigSymbol = b.Font(-size * 3 / 2, "Symbol", 2);
    const int extra = b.Font(-size, "MT Extra", 2);
    const int base = size * 2;
    const QByteArray digits = QByteArray::number(2 + int(rng() % 7));
    int x = size / 4;
    switch (seed % 6) {
    case 0: { // x = (-b ± sqrt(b^2 - 4ac)) / 2a
        x = b.Text(italic, x, base, "x");
        x = b.Text(symbol, x + size / 6, base, "=") + size / 6;
        const int numTop = base - size;
        int nx = b.Text(symbol, x, numTop, "-");
        nx = b.Text(italic, nx, numTop, "b");
        nx = b.Text(symbol, nx, numTop, "\xB1");
        const int rootX = nx;
        b.Line({{rootX, numTop - size / 3},
                {rootX + size / 6, numTop - size / 3 - 20},
                {rootX + size / 3, numTop + size / 10},
                {rootX + size / 2, numTop - size},
                {rootX + size * 3, numTop - size}});
        nx = b.Text(italic, rootX + size / 2, numTop, "b");
        nx = b.Text(small, nx, numTop - size / 2, "2");
        nx = b.Text(symbol, nx, numTop, "-");
        nx = b.Text(roman, nx, numTop, digits);
        nx = b.Text(italic, nx, numTop, "ac");
        b.Bar(x, base - size / 3, nx - x, 20);
        b.Text(roman, x + (nx - x) / 3, base + size * 2 / 3, "2");
        b.Text(italic, x + (nx - x) / 3 + size / 2, base + size * 2 / 3, "a");
        f.twips = QSize(nx + size / 4, base + size);
        break;
    }
    case 1: { // alpha <= beta + gamma, with a prime from the extra font
        x = b.Text(symbol, x, base, "a");
        x = b.Text(symbol, x + size / 6, base, "\xA3") + size / 6;
        x = b.Text(symbol, x, base, "b");
        x = b.Text(extra, x, base, "\x60");
        x = b.Text(symbol, x + size / 8, base, "+") + size / 8;
        x = b.Text(symbol, x, base, "g");
        x = b.Text(small, x, base + size / 4, digits);
        x = b.Text(symbol, x + size / 6, base, "\xB3") + size / 6;
        x = b.Text(roman, x, base, "0");
        f.twips = QSize(x + size / 4, base + size / 2);
        break;
    }
    case 2: { // sum from i=1 to n of i^2
        const int top = base - size / 2;
        b.Text(small, x + size / 4, top - size, "n");
        x = b.Text(bigSymbol, x, base, "\xE5");
        b.Text(small, size / 8, base + size / 2, "i=1");
        x = b.Text(italic, x + size / 8, base, "i");
        x = b.Text(small, x, base - size / 2, "2");
        x = b.Text(symbol, x + size / 8, base, "=") + size / 8;
        x = b.Text(roman, x, base, digits);
        f.twips = QSize(x + size / 4, base + size * 2 / 3);
        break;
    }
    case 3: { // integral from 0 to 1 of f(x) dx
        b.Text(small, x + size / 2, base - size, "1");
        x = b.Text(bigSymbol, x, base, "\xF2");
        b.Text(small, x - size / 4, base + size / 2, "0");
        x = b.Text(italic, x, base, "f");
        x = b.Text(roman, x, base, "(");
        x = b.Text(italic, x, base, "x");
        x = b.Text(roman, x, base, ")");
        x = b.Text(italic, x + size / 8, base, "dx");
        x = b.Text(symbol, x, base, "\xB9");
        x = b.Text(roman, x, base, digits);
        f.twips = QSize(x + size / 4, base + size * 2 / 3);
        break;
    }
    case 4: { // lim x->0 sin x / x = 1
        x = b.Text(roman, x, base, "lim");
        b.Text(small, size / 4, base + size / 2, "x");
        b.Text(symbol, size / 4 + size / 3, base + size / 2, "\xAE");
        b.Text(small, size / 4 + size, base + size / 2, "0");
        const int fx = x + size / 4;
        int nx = b.Text(roman, fx, base - size / 2, "sin");
        nx = b.Text(italic, nx + size / 8, base - size / 2, "x");
        b.Bar(fx, base - size / 3, nx - fx, 20);
        b.Text(italic, fx + (nx - fx) / 3, base + size * 2 / 3, "x");
        x = b.Text(symbol, nx + size / 6, base, "=") + size / 6;
        x = b.Text(roman, x, base, "1");
        f.twips = QSize(x + size / 4, base + size);
        break;
    }
    default: { // sqrt(pi / 2) approximately 1.25
        const int rootX = x;
        b.Line({{rootX, base - size / 3},
                {rootX + size / 6, base - size / 3 - 20},
                {rootX + size / 3, base + size * 2 / 3},
                {rootX + size / 2, base - size * 3 / 2},
                {rootX + size * 2, base - size * 3 / 2}});
        const int fx = rootX + size / 2 + size / 8;
        b.Text(symbol, fx + size / 4, base - size / 2, "p");
        b.Bar(fx, base - size / 3, size, 20);
        b.Text(roman, fx + size / 4, base + size * 2 / 3, "2");
        x = b.Text(symbol, rootX + size * 2 + size / 6, base, "\xBB") + size / 6;
        x = b.Text(roman, x, base, "1.25");
        f.twips = QSize(x + size / 4, base + size);
        break;
    }
    }
    // Whole pixels, as an editor sizes its pictures.
    f.twips = QSize((f.twips.width() + 14) / 15 * 15, (f.twips.height() + 14) / 15 * 15);
    return f;
}

// The formula as a WMF: placeable, 1440 units per inch, the window set to the picture.
inline QByteArray ToWmf(const Formula& f) {
    MfWrite::Wmf w(QRect(QPoint(0, 0), f.twips), 1440);
    w.WindowOrg(0, 0).WindowExt(f.twips.width(), f.twips.height()).MapMode(8);
    w.BkMode(1).TextAlign(24).TextColor(0);
    w.Brush(0, 0).Pen(5, 0, 0).Select(0).Select(1); // a black brush and no pen for the bars
    int selected = -1;                              // the font in slot 2, once there is one
    for (const Piece& p : f.pieces) {
        switch (p.kind) {
        case Piece::Text: {
            if (p.font != selected) {
                if (selected >= 0)
                    w.Select(0).Delete(2); // the previous font's slot becomes free again
                const FontSpec& s = f.fonts[size_t(p.font)];
                w.Font(s.height, s.face, s.charset, 400, 0, s.italic).Select(2);
                selected = p.font;
            }
            w.ExtTextOut(p.at.x(), p.at.y(), p.bytes, p.dx);
            break;
        }
        case Piece::Bar:
            w.Rectangle(p.at.x(), p.at.y(), p.at.x() + p.size.width(), p.at.y() + p.size.height());
            break;
        case Piece::Line: {
            // A new object takes the lowest free slot: after the font's when there is one.
            const int pen = selected >= 0 ? 3 : 2;
            w.Pen(0, 15, 0).Select(pen).Polyline(p.points).Select(1).Delete(pen);
        } break;
        }
    }
    return w.Bytes();
}

// The formula as an EMF in the same twips (MM_ANISOTROPIC, the viewport in device pixels), with
// EMF+ records when asked.
inline QByteArray ToEmf(const Formula& f, Form form = Form::Emf) {
    const QRect frame(0, 0, f.twips.width() * 2540 / 1440, f.twips.height() * 2540 / 1440);
    MfWrite::Emf e(frame);
    const bool plus = form == Form::EmfPlusDual || form == Form::EmfPlusOnly;
    const bool gdi = form != Form::EmfPlusOnly;
    if (plus) {
        e.PlusHeader(form == Form::EmfPlusDual);
        // Page in twips: 1/1440 inch is 1/20 of a point.
        e.Plus(0x4030, 3, MfWrite::Params().F32(1.0f / 20));
        e.Plus(0x4008, 0x0100 | 0, MfWrite::Params().U32(0xDBC01002).U32(0).U32(0xFF000000u)); // brush 0
        e.Plus(0x4008, 0x0200 | 1,
               MfWrite::Params()
                   .U32(0xDBC01002)
                   .U32(0)
                   .U32(0)
                   .U32(0)
                   .F32(15)
                   .U32(0xDBC01002)
                   .U32(0)
                   .U32(0xFF000000u));
        for (size_t k = 0; k < f.fonts.size(); ++k) {
            const FontSpec& s = f.fonts[k];
            const QString face = QString::fromLatin1(s.face);
            MfWrite::Params font;
            font.U32(0xDBC01002).F32(float(std::abs(s.height))).U32(0).I32(s.italic ? 2 : 0).U32(0);
            font.U32(quint32(face.size())).Bytes(MfWrite::Utf16(face));
            e.Plus(0x4008, quint16(0x0600 | (2 + k)), font);
        }
    }
    if (gdi) {
        e.MapMode(8).WindowOrg(0, 0).WindowExt(f.twips.width(), f.twips.height());
        e.ViewportOrg(0, 0).ViewportExt(f.twips.width() / 15, f.twips.height() / 15);
        e.BkMode(1).TextAlign(24).TextColor(0);
        e.Brush(1, 0, 0).Pen(2, 5, 0, 0).Select(1).Select(2);
    }
    int selected = -1;
    for (const Piece& p : f.pieces) {
        switch (p.kind) {
        case Piece::Text: {
            const FontSpec& s = f.fonts[size_t(p.font)];
            // Wide text: Symbol codes go as U+F000 + code, as the editors write them.
            QString text;
            for (const char c : p.bytes)
                text.append(QChar(char16_t((s.charset == 2 ? 0xF000 : 0) + uchar(c))));
            if (plus) {
                MfWrite::Params ds;
                // The colour in place of a brush, Unicode characters, no matrix.
                ds.U32(0xFF000000u).U32(1).U32(0).U32(quint32(text.size())).Bytes(MfWrite::Utf16(text));
                int x = p.at.x();
                for (qsizetype k = 0; k < text.size(); ++k) {
                    ds.F32(float(x)).F32(float(p.at.y()));
                    x += p.dx[k];
                }
                e.Plus(0x4036, quint16(0x8000 | (2 + p.font)), ds);
            }
            if (gdi) {
                if (p.font != selected) {
                    if (selected >= 0)
                        e.Select(0x8000000Du).Delete(3);
                    e.Font(3, s.height, QString::fromLatin1(s.face), s.charset, 400, 0, s.italic).Select(3);
                    selected = p.font;
                }
                e.TextW(p.at.x(), p.at.y(), text, p.dx);
            }
            break;
        }
        case Piece::Bar:
            if (plus)
                e.Plus(0x400A, 0x8000,
                       MfWrite::Params()
                           .U32(0xFF000000u)
                           .U32(1)
                           .F32(float(p.at.x()))
                           .F32(float(p.at.y()))
                           .F32(float(p.size.width()))
                           .F32(float(p.size.height())));
            if (gdi)
                e.Rectangle(p.at.x(), p.at.y(), p.at.x() + p.size.width(), p.at.y() + p.size.height());
            break;
        case Piece::Line:
            if (plus) {
                MfWrite::Params lines;
                lines.U32(quint32(p.points.size()));
                for (const QPoint& pt : p.points)
                    lines.F32(float(pt.x())).F32(float(pt.y()));
                e.Plus(0x400D, 1, lines);
            }
            if (gdi)
                e.Pen(4, 0, 15, 0).Select(4).Polyline(p.points).Select(2).Delete(4);
            break;
        }
    }
    if (plus)
        e.Plus(0x4002, 0, MfWrite::Params());
    return e.Bytes();
}

// A drawing as a drawing program writes it, 400 by 300 logical units in an isotropic window: a hatched
// ellipse, a pie, a dashed rounded rectangle, a polygon with a hole, an arc, a Cyrillic label in code
// page 1251, a label turned by 90 degrees, an opaque label, and a clipped-off corner.
inline QByteArray Drawing(unsigned seed) {
    std::mt19937 rng(seed);
    const int dx = int(rng() % 40), dy = int(rng() % 30);
    MfWrite::Wmf w(QRect(0, 0, 400, 300), 96);
    w.MapMode(7).WindowOrg(0, 0).WindowExt(400, 300);
    w.SaveDc().ExcludeClip(360, 0, 400, 40);
    w.Pen(0, 2, MfWrite::Rgb(0, 0, 128)).Select(0);   // slot 0
    w.Brush(2, MfWrite::Rgb(200, 0, 0), 5).Select(1); // slot 1: diagonal cross hatch
    w.BkMode(2).BkColor(MfWrite::Rgb(255, 255, 200));
    w.Ellipse(20 + dx, 20 + dy, 180 + dx, 120 + dy);
    w.Brush(0, MfWrite::Rgb(0, 160, 0)).Select(2).Delete(1);                   // slot 2: green
    w.Arc(0x081A, QRect(220, 20, 120, 120), QPoint(340, 80), QPoint(280, 20)); // pie
    w.Pen(1, 1, MfWrite::Rgb(0, 0, 0)).Select(1).Delete(0);                    // slot 1 again: dashed
    w.Brush(1, 0).Select(0).Delete(2);                                         // slot 0: hollow
    w.RoundRect(20, 160, 200, 280, 30, 30);
    w.Pen(0, 3, MfWrite::Rgb(128, 0, 128)).Select(2).Delete(1); // slot 2
    w.Arc(0x0817, QRect(230, 150, 100, 100), QPoint(330, 200), QPoint(230, 200));
    w.Brush(0, MfWrite::Rgb(0, 128, 255)).Select(1).Delete(0); // slot 1
    w.FillMode(1).PolyPolygon(
        {{{240, 260}, {390, 260}, {390, 295}, {240, 295}}, {{260, 268}, {300, 268}, {300, 288}, {260, 288}}});
    w.Font(-20, "Arial", 204).Select(0); // slot 0
    w.BkMode(1).TextColor(MfWrite::Rgb(0, 0, 0)).TextAlign(0);
    w.TextOut(30 + dx, 130, "\xd0\xe8\xf1\xf3\xed\xee\xea 1");       // "Рисунок 1"
    w.Font(-16, "Times New Roman", 0, 700, 900).Select(3).Delete(0); // slot 3, turned
    w.ExtTextOut(215, 280, "Axis");
    w.Font(-14, "Courier New", 0).Select(0); // slot 0
    w.BkMode(2)
        .BkColor(MfWrite::Rgb(255, 255, 0))
        .ExtTextOut(250, 150, "opaque", {}, 2, QRect(QPoint(245, 135), QPoint(330, 155)));
    w.RestoreDc();
    w.Pen(0, 0, 0).Select(4).Brush(0, MfWrite::Rgb(255, 128, 0)).Select(5);
    w.Rectangle(360, 0, 400, 40); // in the corner that was clipped off before RestoreDC
    return w.Bytes();
}

inline QByteArray Write(const Formula& f, Form form) {
    return form == Form::Wmf ? ToWmf(f) : ToEmf(f, form);
}

} // namespace FormulaCorpus
