#include "MetafilePlayer.h"

#include "SymbolFonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>
#include <variant>

namespace Mf {

namespace {

// Geometry is drawn in the picture's natural pixels; far beyond them nothing is visible, and
// coordinates are held there so that no transform can make them overflow.
constexpr double CoordLimit = 1e7;
constexpr int MaxSavedStates = 1024;
constexpr int MaxSlots = 65536;
constexpr int MaxTextChars = 4096;

QColor ColourRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
QColor Argb(quint32 c) {
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), int(c >> 24));
}
QPointF Held(QPointF p) {
    return QPointF(std::clamp(p.x(), -CoordLimit, CoordLimit), std::clamp(p.y(), -CoordLimit, CoordLimit));
}

struct PenObj {
    int style = 0; // PS_ style and end cap, join, type bits
    double width = 0;
    QColor colour = Qt::black;
};
struct BrushObj {
    int style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN
    int hatch = 0;
    QColor colour = Qt::white;
    qint32 image = -1;
};
struct FontObj {
    double height = 0, width = 0;
    double escapement = 0; // tenths of a degree
    int weight = 400;
    bool italic = false, underline = false, strike = false;
    int charset = 1;
    QString face;
};
// A slot holds nothing (free), a palette or region that draws nothing, or one of ours.
struct Placeholder {};
using Object = std::variant<std::monostate, Placeholder, PenObj, BrushObj, FontObj>;

struct Dc {
    int mapMode = 1;
    QPointF winOrg, winExt{1, 1}, vpOrg, vpExt{1, 1};
    QTransform world;
    PenObj pen;
    BrushObj brush;
    FontObj font;
    QColor text = Qt::black, bk = Qt::white;
    int bkMode = 2; // opaque, as a new device context has it
    int textAlign = 0;
    int fillMode = 1;
    int rop2 = 13;
    int arcDir = 1;
    double charExtra = 0;
    QPointF pos;                      // current position, logical
    std::optional<QPainterPath> clip; // natural pixels
};

struct PlusPen {
    double width = 1;
    int unit = 0;
    int style = 0;
    QColor colour = Qt::black;
};
struct PlusFont {
    double em = 12;
    int unit = 3;
    int style = 0;
    QString family;
};
struct PlusState {
    QTransform world;
    int pageUnit = 1;
    double pageScale = 1;
    std::optional<QPainterPath> clip;
};

class Player {
public:
    Player(const Metafile& m, QPainter& painter, const QRectF& target, const PlayOptions& options)
        : m_m(m), m_p(painter), m_budget(options.budget) {
        const QSizeF n = m.naturalSize;
        m_natToTarget = QTransform::fromScale(target.width() / n.width(), target.height() / n.height()) *
                        QTransform::fromTranslate(target.left(), target.top());
        m_frameRect = QRectF(QPointF(0, 0), n);
        if (m.format == Format::Wmf) {
            m_dc.mapMode = 8;
            m_dc.winOrg = m.frame.topLeft();
            m_dc.winExt = QPointF(m.frame.width(), m.frame.height());
        }
        m_devToNat = QTransform::fromTranslate(-m.frame.left(), -m.frame.top()) *
                     QTransform::fromScale(n.width() / m.frame.width(), n.height() / m.frame.height());
        m_plusMode = m.DrawsPlus();
    }

    bool Run() {
        m_p.save();
        m_p.setTransform(m_natToTarget, true);
        m_base = m_p.transform();
        // One device pixel, in natural pixels: the thinnest line drawn.
        const double scale = std::sqrt(std::abs(m_base.determinant()));
        m_hairline = scale > 0 ? 1 / scale : 1;
        m_p.setClipRect(m_frameRect, Qt::IntersectClip);
        m_baseClip = m_p.clipPath();
        m_p.setRenderHint(QPainter::Antialiasing, true);
        m_p.setRenderHint(QPainter::TextAntialiasing, true);
        m_p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        m_dpi = m_p.device() ? m_p.device()->logicalDpiY() : 96;
        if (m_dpi <= 0)
            m_dpi = 96;
        bool complete = true;
        for (const Record& r : m_m.records) {
            if (m_budget <= 0) {
                complete = false;
                break;
            }
            m_budget -= 1 + r.count;
            if (r.layer == Layer::Plus) {
                if (m_plusMode)
                    PlusRecord(r);
                continue;
            }
            // Under EMF+ the GDI records keep their state but draw only where EMF+ hands over.
            m_drawGdi = !m_plusMode || r.layer == Layer::GdiInPlus;
            GdiRecord(r);
        }
        m_p.restore();
        return complete && !m_m.truncated;
    }

private:
    // ------------------------------------------------------------ mapping

    QPointF Pt(const Record& r, quint32 k) const { return m_m.points[r.first + k]; }

    // Logical to natural pixels, cached until the mapping changes.
    const QTransform& Map() {
        if (!m_mapValid) {
            m_map = m_dc.world * Page() * m_devToNat;
            m_mapValid = true;
        }
        return m_map;
    }
    QTransform Page() const {
        const Dc& d = m_dc;
        auto nz = [](double v) { return v == 0 ? 1.0 : v; };
        if (m_m.format == Format::Wmf) {
            // The window fills the picture; the viewport is the picture itself.
            double sx = m_m.frame.width() / nz(d.winExt.x());
            double sy = m_m.frame.height() / nz(d.winExt.y());
            if (d.mapMode == 7) {
                const double s = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            return QTransform::fromTranslate(-d.winOrg.x(), -d.winOrg.y()) * QTransform::fromScale(sx, sy) *
                   QTransform::fromTranslate(m_m.frame.left(), m_m.frame.top());
        }
        double sx = 1, sy = 1;
        const double mmX = m_m.devicePerMmX, mmY = m_m.devicePerMmY;
        switch (d.mapMode) {
        case 2: // 0.1 mm
            sx = mmX / 10, sy = -mmY / 10;
            break;
        case 3: // 0.01 mm
            sx = mmX / 100, sy = -mmY / 100;
            break;
        case 4: // 0.01 inch
            sx = mmX * 0.254, sy = -mmY * 0.254;
            break;
        case 5: // 0.001 inch
            sx = mmX * 0.0254, sy = -mmY * 0.0254;
            break;
        case 6: // twips
            sx = mmX * 25.4 / 1440, sy = -mmY * 25.4 / 1440;
            break;
        case 7:
        case 8:
            sx = d.vpExt.x() / nz(d.winExt.x());
            sy = d.vpExt.y() / nz(d.winExt.y());
            if (d.mapMode == 7) {
                const double s = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            break;
        default:
            break;
        }
        return QTransform::fromTranslate(-d.winOrg.x(), -d.winOrg.y()) * QTransform::fromScale(sx, sy) *
               QTransform::fromTranslate(d.vpOrg.x(), d.vpOrg.y());
    }
    void Changed() { m_mapValid = false; }

    QPointF N(QPointF logical) { return Held(Map().map(logical)); }
    double ScaleX() {
        const QTransform& t = Map();
        return std::hypot(t.m11(), t.m12());
    }
    double ScaleY() {
        const QTransform& t = Map();
        return std::hypot(t.m21(), t.m22());
    }
    QPolygonF Poly(const Record& r, quint32 from, quint32 n) {
        QPolygonF poly;
        poly.reserve(n);
        for (quint32 k = 0; k < n; ++k)
            poly.append(N(Pt(r, from + k)));
        return poly;
    }
    // A box of two corners as a polygon of four mapped corners (it turns with the world transform).
    QPainterPath BoxPath(QPointF a, QPointF b) {
        QPainterPath path;
        path.moveTo(N(a));
        path.lineTo(N(QPointF(b.x(), a.y())));
        path.lineTo(N(b));
        path.lineTo(N(QPointF(a.x(), b.y())));
        path.closeSubpath();
        return path;
    }
    // An ellipse inside a box, mapped as a whole so that it turns and stretches with the mapping.
    QPainterPath EllipsePath(QPointF a, QPointF b) {
        QPainterPath e;
        e.addEllipse(QRectF(a, b).normalized());
        return HeldPath(Map().map(e));
    }
    static QPainterPath HeldPath(const QPainterPath& path) {
        const QRectF box = path.controlPointRect();
        if (box.left() >= -CoordLimit && box.right() <= CoordLimit && box.top() >= -CoordLimit &&
            box.bottom() <= CoordLimit)
            return path;
        QPainterPath held;
        for (int k = 0; k < path.elementCount(); ++k) {
            const QPainterPath::Element e = path.elementAt(k);
            const QPointF p = Held(QPointF(e.x, e.y));
            if (e.isMoveTo())
                held.moveTo(p);
            else
                held.lineTo(p);
        }
        return held;
    }

    // ------------------------------------------------------------ drawing

    QPen MakePen(const PenObj& pen, double width) {
        const int style = pen.style & 0xF;
        if (style == 5 || m_dc.rop2 == 11 /* R2_NOP */)
            return Qt::NoPen;
        QPen p(PenColour(pen.colour));
        p.setWidthF(std::max(width, m_hairline));
        switch (pen.style & 0xF00) {
        case 0x100:
            p.setCapStyle(Qt::SquareCap);
            break;
        case 0x200:
            p.setCapStyle(Qt::FlatCap);
            break;
        default:
            p.setCapStyle(Qt::RoundCap);
            break;
        }
        switch (pen.style & 0xF000) {
        case 0x1000:
            p.setJoinStyle(Qt::BevelJoin);
            break;
        case 0x2000:
            p.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            p.setJoinStyle(Qt::RoundJoin);
            break;
        }
        // Dashes of thin pens come in device pixels; thick pens draw solid as GDI does.
        if (style >= 1 && style <= 4 && width <= 1.5 * m_hairline) {
            static const QList<qreal> patterns[4] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
            p.setCapStyle(Qt::FlatCap);
            p.setDashPattern(patterns[style - 1]);
        }
        return p;
    }
    QColor PenColour(QColor c) const {
        switch (m_dc.rop2) {
        case 1:
            return Qt::black;
        case 16:
            return Qt::white;
        default:
            return c;
        }
    }
    QPen CurrentPen() { return MakePen(m_dc.pen, m_dc.pen.width * ScaleX()); }
    QBrush MakeBrush(const BrushObj& b) {
        switch (b.style) {
        case 1: // BS_NULL
            return Qt::NoBrush;
        case 2: { // BS_HATCHED
            static const Qt::BrushStyle styles[6] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
            return QBrush(PenColour(b.colour), styles[std::clamp(b.hatch, 0, 5)]);
        }
        case 3:
        case 5:
        case 6:
            if (b.image >= 0 && size_t(b.image) < m_m.images.size())
                return QBrush(m_m.images[size_t(b.image)]);
            return QBrush(Qt::black);
        default:
            return QBrush(PenColour(b.colour));
        }
    }
    // Dashing a line that runs far beyond the picture would cost a dash per few pixels of it.
    void Stroke(const QPainterPath& path, QPen pen) {
        if (pen.style() == Qt::NoPen)
            return;
        if (pen.style() != Qt::SolidLine) {
            const QRectF box = m_base.mapRect(path.controlPointRect());
            if (box.width() + box.height() > 20000)
                pen.setStyle(Qt::SolidLine);
        }
        m_p.strokePath(path, pen);
    }
    void Fill(const QPainterPath& path, const QBrush& brush) {
        if (brush.style() == Qt::NoBrush)
            return;
        if (brush.style() != Qt::SolidPattern && brush.style() != Qt::TexturePattern && m_dc.bkMode == 2)
            m_p.fillPath(path, m_dc.bk); // the gaps of a hatch take the background colour
        m_p.fillPath(path, brush);
    }
    // A closed figure: filled with the brush, outlined with the pen; in a path bracket it is added.
    void Shape(QPainterPath path) {
        if (m_inPath) {
            m_path.addPath(path);
            return;
        }
        if (!m_drawGdi)
            return;
        path.setFillRule(m_dc.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        Fill(path, MakeBrush(m_dc.brush));
        Stroke(path, CurrentPen());
    }
    void Line(const QPainterPath& path) {
        if (m_inPath) {
            m_path.addPath(path);
            return;
        }
        if (m_drawGdi)
            Stroke(path, CurrentPen());
    }

    // The arc of a box from the ray through `start` to the ray through `end`, in GDI's direction.
    QPainterPath ArcPath(QPointF a, QPointF b, QPointF start, QPointF end, int kind, int direction) {
        const QRectF box = QRectF(a, b).normalized();
        const QPointF c = box.center();
        auto angle = [&](QPointF p) { return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180 / M_PI; };
        const double a0 = angle(start);
        double sweep = angle(end) - a0;
        // Counter-clockwise in logical space with y downwards is a positive angle in Qt's terms.
        const QTransform& t = Map();
        const bool flipped = t.determinant() < 0;
        const bool clockwise = (direction == 2) != flipped;
        if (clockwise) {
            while (sweep >= 0)
                sweep -= 360;
        } else {
            while (sweep <= 0)
                sweep += 360;
        }
        QPainterPath path;
        const double r0 = a0 * M_PI / 180;
        const QPointF first(c.x() + box.width() / 2 * std::cos(r0), c.y() - box.height() / 2 * std::sin(r0));
        if (kind == 2) { // pie: from the centre
            path.moveTo(c);
            path.lineTo(first);
        } else {
            path.moveTo(first);
        }
        path.arcTo(box, a0, sweep);
        if (kind != 0)
            path.closeSubpath();
        return HeldPath(t.map(path));
    }

    // ------------------------------------------------------------ objects

    void Create(qint32 slot, Object obj) {
        if (slot < 0) { // WMF: the lowest free slot
            size_t k = 0;
            while (k < m_objects.size() && !std::holds_alternative<std::monostate>(m_objects[k]))
                ++k;
            if (k >= size_t(MaxSlots))
                return;
            if (k == m_objects.size())
                m_objects.emplace_back();
            m_objects[k] = std::move(obj);
            return;
        }
        if (slot >= MaxSlots)
            return;
        if (size_t(slot) >= m_objects.size())
            m_objects.resize(size_t(slot) + 1);
        m_objects[size_t(slot)] = std::move(obj);
    }
    void Select(qint32 slot) {
        if (slot & StockBit) {
            switch (slot & 0xFF) {
            case 0: // white, light grey, grey, dark grey, black brushes
            case 1:
            case 2:
            case 3:
            case 4: {
                static const int greys[5] = {255, 192, 128, 64, 0};
                const int g = greys[slot & 0xFF];
                m_dc.brush = BrushObj{0, 0, QColor(g, g, g), -1};
                break;
            }
            case 5:
                m_dc.brush = BrushObj{1, 0, Qt::white, -1};
                break;
            case 6:
                m_dc.pen = PenObj{0, 0, Qt::white};
                break;
            case 7:
                m_dc.pen = PenObj{0, 0, Qt::black};
                break;
            case 8:
                m_dc.pen = PenObj{5, 0, Qt::black};
                break;
            case 10:
            case 11:
            case 12:
            case 13:
            case 14:
            case 16:
            case 17:
                m_dc.font = FontObj{};
                break;
            default:
                break;
            }
            return;
        }
        if (slot < 0 || size_t(slot) >= m_objects.size())
            return;
        const Object& o = m_objects[size_t(slot)];
        if (const auto* pen = std::get_if<PenObj>(&o))
            m_dc.pen = *pen;
        else if (const auto* brush = std::get_if<BrushObj>(&o))
            m_dc.brush = *brush;
        else if (const auto* font = std::get_if<FontObj>(&o))
            m_dc.font = *font;
    }

    // ------------------------------------------------------------ text

    QFont MakeFont(const QString& face, int charset, double em, int weight, bool italic, bool underline,
                   bool strike) {
        const SymbolFonts::Encoding enc = SymbolFonts::EncodingOf(face, charset);
        QFont f;
        f.setFamilies(SymbolFonts::DisplayFamilies(face, enc));
        f.setPointSizeF(std::clamp(em, 0.01, 100000.0) * 72.0 / m_dpi);
        f.setWeight(QFont::Weight(std::clamp(weight <= 0 ? 400 : weight, 1, 1000)));
        f.setItalic(italic);
        f.setUnderline(underline);
        f.setStrikeOut(strike);
        f.setKerning(false); // GDI places characters by their advances alone
        f.setHintingPreference(QFont::PreferNoHinting);
        return f;
    }

    double MaxTextSize() const {
        return std::max(16.0, 2 * std::max(m_frameRect.width(), m_frameRect.height()));
    }

    // Draws `text` with its baseline origin at `origin` (natural pixels), turned by `angle` degrees
    // (counter-clockwise on screen), characters placed by `advances` when given.
    void DrawText(const QString& text, QPointF origin, double angle, const QFont& font, const QColor& colour,
                  const std::vector<double>* advances, int align, double extra, bool opaque, QColor bk,
                  double* widthOut) {
        const QFontMetricsF fm(font, m_p.device());
        double width = 0;
        if (advances) {
            for (const double a : *advances)
                width += a;
        } else {
            width = fm.horizontalAdvance(text) + extra * text.size();
        }
        if (widthOut)
            *widthOut = width;
        double x = 0;
        if ((align & 6) == 6)
            x = -width / 2;
        else if (align & 2)
            x = -width;
        double y = 0;
        if ((align & 24) == 24)
            y = 0;
        else if (align & 8)
            y = -fm.descent();
        else
            y = fm.ascent();
        m_p.save();
        m_p.translate(origin);
        if (angle != 0)
            m_p.rotate(-angle);
        if (opaque)
            m_p.fillRect(QRectF(x, y - fm.ascent(), width, fm.ascent() + fm.descent()), bk);
        m_p.setFont(font);
        m_p.setPen(colour);
        // Glyphs of a few hundred device pixels and more, and glyphs stretched far more one way than
        // the other, are filled as outlines: the glyph cache would render bitmaps of such shapes,
        // and the font engine fails on extreme ones. Text below half a pixel shows nothing.
        const QTransform device = m_p.transform();
        const double emX = fm.height() * std::hypot(device.m11(), device.m12());
        const double emY = fm.height() * std::hypot(device.m21(), device.m22());
        const double larger = std::max(emX, emY), smaller = std::min(emX, emY);
        const bool stretched = font.stretch() != QFont::AnyStretch && font.stretch() != 100;
        if (larger < 0.5) {
            m_p.restore();
            return;
        }
        if (larger > 256 || larger > 4 * smaller || (stretched && larger > 64)) {
            QPainterPath outlines;
            double at = x;
            for (qsizetype k = 0; k < text.size(); ++k) {
                outlines.addText(QPointF(at, y), font, QString(text[k]));
                at += advances && size_t(k) < advances->size() ? (*advances)[size_t(k)]
                                                               : fm.horizontalAdvance(text[k]) + extra;
            }
            m_p.fillPath(outlines, colour);
        } else if (!advances && extra == 0) {
            m_p.drawText(QPointF(x, y), text);
        } else {
            double at = x;
            for (qsizetype k = 0; k < text.size(); ++k) {
                qsizetype len = 1;
                if (text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate())
                    len = 2;
                const QString ch = text.mid(k, len);
                m_p.drawText(QPointF(at, y), ch);
                if (advances)
                    at += (*advances)[size_t(k)] +
                          (len == 2 && size_t(k + 1) < advances->size() ? (*advances)[size_t(k + 1)] : 0);
                else
                    at += fm.horizontalAdvance(ch) + extra;
                k += len - 1;
            }
        }
        m_p.restore();
    }

    void Text(const Record& r) {
        if (r.text < 0 || size_t(r.text) >= m_m.texts.size())
            return;
        const FontObj& f = m_dc.font;
        QString text = m_m.texts[size_t(r.text)].left(MaxTextChars);
        const SymbolFonts::Encoding enc = SymbolFonts::EncodingOf(f.face, f.charset);
        if (r.flags & 1)
            text = SymbolFonts::DecodeCharset(text.toLatin1(), f.charset, f.face);
        else
            text = SymbolFonts::MapText(text, enc);
        m_budget -= text.size() * 4;
        const double sy = ScaleY(), sx = ScaleX();
        // Heights: negative is the character's em, positive the cell (em plus internal leading).
        // Text larger than the picture shows nothing readable; it is held to the picture's size.
        double em = std::min(std::abs(f.height) * sy, MaxTextSize());
        QFont font = MakeFont(f.face, f.charset, em > 0 ? em : 16, f.weight, f.italic, f.underline, f.strike);
        if (f.height > 0) {
            const QFontMetricsF fm(font, m_p.device());
            const double cell = fm.ascent() + fm.descent();
            if (cell > 0)
                font.setPointSizeF(font.pointSizeF() * em / cell);
        }
        if (f.width > 0) {
            const QFontMetricsF fm(font, m_p.device());
            const double avg = fm.averageCharWidth();
            if (avg > 0)
                font.setStretch(int(std::clamp(std::round(100 * f.width * sx / avg), 10.0, 1000.0)));
        }
        const QTransform& t = Map();
        const double turn = std::atan2(-t.m12(), t.m11()) * 180 / M_PI;
        const double angle = f.escapement / 10.0 + (t.determinant() < 0 ? -turn : turn);
        const bool updateCp = m_dc.textAlign & 1;
        const QPointF ref = updateCp ? m_dc.pos : Pt(r, 0);
        std::vector<double> advances;
        const bool haveDx = r.auxCount > 0 && r.auxCount >= quint32(text.size());
        if (haveDx) {
            advances.reserve(size_t(text.size()));
            for (qsizetype k = 0; k < text.size(); ++k)
                advances.push_back(m_m.reals[r.aux + quint32(k)] * sx);
        }
        const int options = r.i[0];
        bool clipped = false;
        if (r.i[1] && r.count >= 3) {
            const QPainterPath box = BoxPath(Pt(r, 1), Pt(r, 2));
            if ((options & 2) && m_drawGdi && !m_inPath)
                m_p.fillPath(box, m_dc.bk); // ETO_OPAQUE
            if (options & 4) {              // ETO_CLIPPED
                m_p.save();
                m_p.setClipPath(box, Qt::IntersectClip);
                clipped = true;
            }
        }
        double width = 0;
        if (m_inPath) {
            QPainterPath glyphs;
            glyphs.addText(QPointF(0, QFontMetricsF(font).ascent()), font, text);
            m_path.addPath(QTransform::fromTranslate(N(ref).x(), N(ref).y()).map(glyphs));
        } else if (m_drawGdi && !text.isEmpty()) {
            DrawText(text, N(ref), angle, font, m_dc.text, haveDx ? &advances : nullptr, m_dc.textAlign,
                     m_dc.charExtra * sx, m_dc.bkMode == 2, m_dc.bk, &width);
        }
        if (clipped)
            m_p.restore();
        if (updateCp && sx > 0)
            m_dc.pos = QPointF(ref.x() + width / sx, ref.y());
    }

    // ------------------------------------------------------------ clipping

    void ApplyClip(const std::optional<QPainterPath>& clip) {
        m_budget -= 50;
        m_p.setClipPath(m_baseClip, Qt::ReplaceClip);
        if (clip)
            m_p.setClipPath(*clip, Qt::IntersectClip);
    }
    // Combines the clip with a shape in natural pixels: 1 and, 2 or, 3 xor, 4 difference, 5 copy.
    void CombineClip(std::optional<QPainterPath>& clip, const QPainterPath& shape, int mode) {
        QPainterPath whole;
        whole.addRect(m_frameRect);
        const QPainterPath current = clip ? *clip : whole;
        switch (mode) {
        case 1:
            clip = current.intersected(shape);
            break;
        case 2:
            clip = clip ? current.united(shape) : whole;
            break;
        case 3:
            clip = current.united(shape).subtracted(current.intersected(shape));
            break;
        case 4:
            clip = current.subtracted(shape);
            break;
        default:
            clip = shape;
            break;
        }
        ApplyClip(clip);
    }

    // ------------------------------------------------------------ GDI records

    void GdiRecord(const Record& r) {
        Dc& d = m_dc;
        switch (r.op) {
        case Op::SaveDc:
            if (m_saved.size() < size_t(MaxSavedStates))
                m_saved.push_back(d);
            break;
        case Op::RestoreDc: {
            const qint64 level = r.i[0];
            qint64 keep = level < 0 ? qint64(m_saved.size()) + level : level - 1;
            if (keep < 0 || keep >= qint64(m_saved.size()))
                break;
            d = m_saved[size_t(keep)];
            m_saved.resize(size_t(keep));
            Changed();
            ApplyClip(d.clip);
            break;
        }
        case Op::SetMapMode:
            d.mapMode = r.i[0] >= 1 && r.i[0] <= 8 ? r.i[0] : 1;
            if (m_m.format == Format::Wmf && d.mapMode != 7 && d.mapMode != 8)
                d.mapMode = 8; // the window still fills the picture
            Changed();
            break;
        case Op::SetWindowOrg:
            d.winOrg = Pt(r, 0);
            Changed();
            break;
        case Op::SetWindowExt:
            d.winExt = Pt(r, 0);
            Changed();
            break;
        case Op::SetViewportOrg:
            d.vpOrg = Pt(r, 0);
            Changed();
            break;
        case Op::SetViewportExt:
            d.vpExt = Pt(r, 0);
            Changed();
            break;
        case Op::OffsetWindowOrg:
            d.winOrg += Pt(r, 0);
            Changed();
            break;
        case Op::OffsetViewportOrg:
            d.vpOrg += Pt(r, 0);
            Changed();
            break;
        case Op::ScaleWindowExt:
        case Op::ScaleViewportExt: {
            QPointF& ext = r.op == Op::ScaleWindowExt ? d.winExt : d.vpExt;
            if (r.i[1] != 0 && r.i[3] != 0)
                ext = QPointF(ext.x() * r.i[0] / r.i[1], ext.y() * r.i[2] / r.i[3]);
            Changed();
            break;
        }
        case Op::SetWorldTransform:
        case Op::ModifyWorldTransform: {
            const double* v = &m_m.reals[r.aux];
            const QTransform x(v[0], v[1], v[2], v[3], v[4], v[5]);
            const int mode = r.op == Op::SetWorldTransform ? 4 : r.i[0];
            if (mode == 1)
                d.world = QTransform();
            else if (mode == 2)
                d.world = x * d.world;
            else if (mode == 3)
                d.world = d.world * x;
            else if (mode == 4)
                d.world = x;
            Changed();
            break;
        }
        case Op::SetBkMode:
            d.bkMode = r.i[0];
            break;
        case Op::SetBkColor:
            d.bk = ColourRef(r.u0);
            break;
        case Op::SetTextColor:
            d.text = ColourRef(r.u0);
            break;
        case Op::SetTextAlign:
            d.textAlign = r.i[0];
            break;
        case Op::SetPolyFillMode:
            d.fillMode = r.i[0];
            break;
        case Op::SetRop2:
            d.rop2 = r.i[0];
            break;
        case Op::SetArcDirection:
            d.arcDir = r.i[0];
            break;
        case Op::SetTextCharExtra:
            d.charExtra = r.i[0];
            break;
        case Op::SetMiterLimit:
            break;
        case Op::CreatePen:
            Create(r.i[0], PenObj{r.i[1], double(r.i[2]), ColourRef(r.u0)});
            break;
        case Op::CreateBrush:
            Create(r.i[0], BrushObj{r.i[1], r.i[2], ColourRef(r.u0), r.i[3]});
            break;
        case Op::CreateFont: {
            FontObj f;
            f.height = r.i[1], f.width = r.i[2], f.escapement = r.i[3], f.weight = r.i[4];
            f.italic = r.flags & 1, f.underline = r.flags & 2, f.strike = r.flags & 4;
            f.charset = int(r.u0);
            if (r.text >= 0 && size_t(r.text) < m_m.texts.size()) {
                f.face = m_m.texts[size_t(r.text)];
                if (m_m.format == Format::Wmf && f.charset == 204)
                    f.face = SymbolFonts::DecodeCodePage(f.face.toLatin1(), 1251);
            }
            Create(r.i[0], f);
            break;
        }
        case Op::CreatePlaceholder:
            Create(r.i[0], Placeholder{});
            break;
        case Op::SelectObject:
            Select(r.i[0]);
            break;
        case Op::DeleteObject:
            if (r.i[0] >= 0 && size_t(r.i[0]) < m_objects.size()) {
                m_objects[size_t(r.i[0])] = std::monostate{};
            }
            break;
        case Op::MoveTo:
            d.pos = Pt(r, 0);
            if (m_inPath)
                m_path.moveTo(N(d.pos));
            break;
        case Op::LineTo: {
            QPainterPath path;
            path.moveTo(N(d.pos));
            path.lineTo(N(Pt(r, 0)));
            if (m_inPath)
                m_path.lineTo(N(Pt(r, 0)));
            else
                Line(path);
            d.pos = Pt(r, 0);
            break;
        }
        case Op::Rectangle:
            Shape(BoxPath(Pt(r, 0), Pt(r, 1)));
            break;
        case Op::RoundRect: {
            QPainterPath rr;
            const QPointF corner = Pt(r, 2);
            rr.addRoundedRect(QRectF(Pt(r, 0), Pt(r, 1)).normalized(), std::abs(corner.x()) / 2,
                              std::abs(corner.y()) / 2);
            Shape(HeldPath(Map().map(rr)));
            break;
        }
        case Op::Ellipse:
            Shape(EllipsePath(Pt(r, 0), Pt(r, 1)));
            break;
        case Op::Arc:
        case Op::ArcTo: {
            const int dir = r.flags ? r.flags : d.arcDir;
            QPainterPath arc = ArcPath(Pt(r, 0), Pt(r, 1), Pt(r, 2), Pt(r, 3), 0, dir);
            if (r.op == Op::ArcTo) {
                QPainterPath joined;
                joined.moveTo(N(d.pos));
                joined.lineTo(arc.elementCount() > 0 ? QPointF(arc.elementAt(0).x, arc.elementAt(0).y)
                                                     : N(d.pos));
                joined.addPath(arc);
                arc = joined;
                if (arc.elementCount() > 0)
                    d.pos = Map().inverted().map(arc.currentPosition());
            }
            Line(arc);
            break;
        }
        case Op::Chord:
        case Op::Pie:
            Shape(ArcPath(Pt(r, 0), Pt(r, 1), Pt(r, 2), Pt(r, 3), r.op == Op::Chord ? 1 : 2, d.arcDir));
            break;
        case Op::Polyline:
        case Op::PolylineTo:
        case Op::PolyBezier:
        case Op::PolyBezierTo: {
            const bool to = r.op == Op::PolylineTo || r.op == Op::PolyBezierTo;
            const bool bezier = r.op == Op::PolyBezier || r.op == Op::PolyBezierTo;
            QPainterPath path;
            const QPolygonF poly = Poly(r, 0, r.count);
            qsizetype k = 0;
            if (to) {
                path.moveTo(N(d.pos));
            } else if (!poly.isEmpty()) {
                path.moveTo(poly[0]);
                k = 1;
            }
            if (bezier) {
                for (; k + 2 < poly.size(); k += 3)
                    path.cubicTo(poly[k], poly[k + 1], poly[k + 2]);
            } else {
                for (; k < poly.size(); ++k)
                    path.lineTo(poly[k]);
            }
            if (r.count > 0 && (to || m_inPath))
                d.pos = Pt(r, r.count - 1);
            if (m_inPath && to && m_path.elementCount() > 0) {
                // Continues the figure being made.
                for (int e = 1; e < path.elementCount(); ++e) {
                    const QPainterPath::Element el = path.elementAt(e);
                    if (el.isLineTo())
                        m_path.lineTo(el.x, el.y);
                    else if (el.isCurveTo() && e + 2 < path.elementCount()) {
                        const QPainterPath::Element c2 = path.elementAt(e + 1), c3 = path.elementAt(e + 2);
                        m_path.cubicTo(QPointF(el.x, el.y), QPointF(c2.x, c2.y), QPointF(c3.x, c3.y));
                        e += 2;
                    }
                }
            } else {
                Line(path);
            }
            break;
        }
        case Op::Polygon: {
            QPainterPath path;
            path.addPolygon(Poly(r, 0, r.count));
            path.closeSubpath();
            Shape(path);
            break;
        }
        case Op::PolyPolygon:
        case Op::PolyPolyline: {
            QPainterPath path;
            quint32 at = 0;
            for (quint32 part = 0; part < r.auxCount; ++part) {
                const quint32 n = m_m.counts[r.aux + part];
                if (n > r.count - at)
                    break;
                const QPolygonF poly = Poly(r, at, n);
                if (!poly.isEmpty()) {
                    path.moveTo(poly[0]);
                    for (qsizetype k = 1; k < poly.size(); ++k)
                        path.lineTo(poly[k]);
                    if (r.op == Op::PolyPolygon)
                        path.closeSubpath();
                }
                at += n;
            }
            if (r.op == Op::PolyPolygon)
                Shape(path);
            else
                Line(path);
            break;
        }
        case Op::SetPixel:
            if (m_drawGdi && !m_inPath) {
                const QPointF p = N(Pt(r, 0));
                const double s = std::max(ScaleX(), m_hairline);
                m_p.fillRect(QRectF(p, QSizeF(s, s)), ColourRef(r.u0));
            }
            break;
        case Op::PatBlt:
        case Op::FillRect: {
            if (!m_drawGdi || m_inPath)
                break;
            QBrush brush = MakeBrush(d.brush);
            if (r.op == Op::FillRect && r.i[0] >= 0) {
                if (size_t(r.i[0]) < m_objects.size())
                    if (const auto* b = std::get_if<BrushObj>(&m_objects[size_t(r.i[0])]))
                        brush = MakeBrush(*b);
            }
            if (r.op == Op::PatBlt) {
                if (r.u0 == 0x00000042u)
                    brush = QBrush(Qt::black);
                else if (r.u0 == 0x00FF0062u)
                    brush = QBrush(Qt::white);
                else if (r.u0 == 0x00AA0029u) // DSTCOPY: nothing changes
                    break;
            }
            QPainterPath path;
            for (quint32 k = 0; k + 1 < r.count; k += 2)
                path.addPath(BoxPath(Pt(r, k), Pt(r, k + 1)));
            if (brush.style() != Qt::NoBrush)
                m_p.fillPath(path, brush);
            break;
        }
        case Op::Text:
            Text(r);
            break;
        case Op::Bitmap:
            Bitmap(r);
            break;
        case Op::IntersectClipRect:
            CombineClip(d.clip, BoxPath(Pt(r, 0), Pt(r, 1)), 1);
            break;
        case Op::ExcludeClipRect:
            CombineClip(d.clip, BoxPath(Pt(r, 0), Pt(r, 1)), 4);
            break;
        case Op::OffsetClip:
            if (d.clip) {
                const QPointF o = N(Pt(r, 0)) - N(QPointF(0, 0));
                d.clip = d.clip->translated(o);
                ApplyClip(d.clip);
            }
            break;
        case Op::SetClipRects: {
            if (r.count == 0) {
                if (r.i[0] == 5) {
                    d.clip.reset();
                    ApplyClip(d.clip);
                }
                break;
            }
            // Region rectangles are in device units, untouched by the world transform.
            QPainterPath shape;
            for (quint32 k = 0; k + 1 < r.count; k += 2)
                shape.addRect(QRectF(m_devToNat.map(Pt(r, k)), m_devToNat.map(Pt(r, k + 1))).normalized());
            CombineClip(d.clip, shape, r.i[0]);
            break;
        }
        case Op::BeginPath:
            m_inPath = true;
            m_path = QPainterPath();
            break;
        case Op::EndPath:
            m_inPath = false;
            break;
        case Op::AbortPath:
            m_inPath = false;
            m_path = QPainterPath();
            break;
        case Op::CloseFigure:
            if (m_inPath)
                m_path.closeSubpath();
            break;
        case Op::FillPath:
        case Op::StrokePath:
        case Op::StrokeAndFillPath:
            if (m_drawGdi) {
                m_path.setFillRule(d.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
                if (r.op != Op::StrokePath)
                    Fill(m_path, MakeBrush(d.brush));
                if (r.op != Op::FillPath)
                    Stroke(m_path, CurrentPen());
            }
            m_path = QPainterPath();
            break;
        case Op::SelectClipPath:
            m_path.setFillRule(d.fillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
            CombineClip(d.clip, m_path, r.i[0]);
            m_path = QPainterPath();
            break;
        default:
            break;
        }
    }

    void Bitmap(const Record& r) {
        if (!m_drawGdi || m_inPath || r.i[0] < 0 || size_t(r.i[0]) >= m_m.images.size())
            return;
        const QImage& image = m_m.images[size_t(r.i[0])];
        m_budget -= qint64(image.width()) * image.height() / 1000;
        QRectF source(r.i[1], r.i[2], r.i[3], r.i[4]);
        // DIB rows run bottom-up; the source rectangle counts from the top of the image we have.
        source = source.normalized().intersected(QRectF(image.rect()));
        if (source.isEmpty())
            return;
        const QPointF a = Pt(r, 0), b = Pt(r, 1);
        m_p.save();
        // The bitmap's destination box in natural pixels, with the mapping's turn and mirroring.
        const QTransform& t = Map();
        const QRectF dest(a, b);
        QTransform place =
            QTransform::fromScale(dest.width() / source.width(), dest.height() / source.height()) *
            QTransform::fromTranslate(dest.left(), dest.top()) * t;
        m_p.setTransform(place * m_base);
        // Enlarged bitmaps keep their pixels square, as GDI stretches them; reduced ones are smoothed.
        const QTransform device = m_p.transform();
        m_p.setRenderHint(QPainter::SmoothPixmapTransform, std::abs(device.determinant()) < 1);
        switch (r.u0) {
        case 0x008800C6u: // SRCAND
            m_p.setCompositionMode(QPainter::CompositionMode_Multiply);
            break;
        case 0x00EE0086u: // SRCPAINT
            m_p.setCompositionMode(QPainter::CompositionMode_Lighten);
            break;
        case 0x00660046u: // SRCINVERT
            m_p.setCompositionMode(QPainter::CompositionMode_Difference);
            break;
        default:
            break;
        }
        m_p.drawImage(QRectF(QPointF(0, 0), source.size()), image, source);
        m_p.restore();
    }

    // ------------------------------------------------------------ EMF+

    QTransform PlusMap() const {
        const double u = PlusUnit(m_plus.pageUnit, m_m.plusDpiX) * m_plus.pageScale;
        const double v = PlusUnit(m_plus.pageUnit, m_m.plusDpiY) * m_plus.pageScale;
        return m_plus.world * QTransform::fromScale(u, v) * m_devToNat;
    }
    static double PlusUnit(int unit, double dpi) {
        switch (unit) {
        case 3:
            return dpi / 72;
        case 4:
            return dpi;
        case 5:
            return dpi / 300;
        case 6:
            return dpi / 25.4;
        default:
            return 1;
        }
    }
    QBrush PlusBrush(const Record& r) {
        if (r.i[0] < 0)
            return QBrush(Argb(r.u0));
        const auto it = m_plusBrushes.constFind(r.i[0]);
        return it == m_plusBrushes.cend() ? QBrush(Qt::black) : QBrush(*it);
    }
    QPen PlusPenOf(qint32 id) {
        const auto it = m_plusPens.constFind(id);
        const PlusPen pen = it == m_plusPens.cend() ? PlusPen{} : *it;
        const QTransform t = PlusMap();
        double width;
        if (pen.unit == 0 || pen.unit == 1 || pen.unit == 2) {
            // World units, or device pixels (which the page transform does not scale).
            const double s = std::sqrt(std::abs(t.determinant()));
            width = pen.unit == 0 ? pen.width * s : pen.width * std::sqrt(std::abs(m_devToNat.determinant()));
        } else {
            width =
                pen.width * PlusUnit(pen.unit, m_m.plusDpiX) * std::sqrt(std::abs(m_devToNat.determinant()));
        }
        QPen p(pen.colour);
        p.setWidthF(std::max(width, m_hairline));
        p.setCapStyle(Qt::FlatCap);
        p.setJoinStyle(Qt::MiterJoin);
        if (pen.style >= 1 && pen.style <= 4)
            p.setStyle(Qt::PenStyle(pen.style + 1));
        return p;
    }
    QPolygonF PlusPoly(const Record& r, quint32 from, quint32 n) {
        const QTransform t = PlusMap();
        QPolygonF poly;
        poly.reserve(n);
        for (quint32 k = 0; k < n; ++k)
            poly.append(Held(t.map(Pt(r, from + k))));
        return poly;
    }
    QPainterPath PlusRects(const Record& r) {
        const QTransform t = PlusMap();
        QPainterPath path;
        for (quint32 k = 0; k + 1 < r.count; k += 2) {
            QPainterPath box;
            box.addRect(QRectF(Pt(r, k), Pt(r, k + 1)));
            path.addPath(HeldPath(t.map(box)));
        }
        return path;
    }
    QPainterPath PlusPathOf(qint32 id) {
        const auto it = m_plusPaths.constFind(id);
        return it == m_plusPaths.cend() ? QPainterPath() : HeldPath(PlusMap().map(*it));
    }
    QFont PlusFontOf(qint32 id, double* emOut) {
        const auto it = m_plusFonts.constFind(id);
        const PlusFont f = it == m_plusFonts.cend() ? PlusFont{} : *it;
        const QTransform t = PlusMap();
        double em;
        if (f.unit == 0)
            em = f.em * std::hypot(t.m21(), t.m22());
        else
            em = f.em * PlusUnit(f.unit, m_m.plusDpiY) * std::sqrt(std::abs(m_devToNat.determinant())) *
                 (f.unit == 2 || f.unit == 1 ? 1 : 1);
        em = std::min(em, MaxTextSize());
        *emOut = em;
        return MakeFont(f.family, 1, em, f.style & 1 ? 700 : 400, f.style & 2, f.style & 4, f.style & 8);
    }
    QString PlusText(const Record& r, const QString& family) {
        if (r.text < 0 || size_t(r.text) >= m_m.texts.size())
            return QString();
        return SymbolFonts::MapText(m_m.texts[size_t(r.text)].left(MaxTextChars),
                                    SymbolFonts::EncodingOf(family, 1));
    }

    void PlusRecord(const Record& r) {
        PlusState& s = m_plus;
        auto order = [&](const QTransform& x) {
            // Flag set: the new transform comes after the current one.
            s.world = r.i[0] ? s.world * x : x * s.world;
        };
        switch (r.op) {
        case Op::PlusObject: {
            const auto kind = PlusKind(r.i[1]);
            if (kind == PlusKind::Brush) {
                m_plusBrushes.insert(r.i[0], Argb(r.u0));
            } else if (kind == PlusKind::Pen) {
                m_plusPens.insert(r.i[0], PlusPen{r.r[0], r.i[3], r.i[2], Argb(r.u0)});
            } else if (kind == PlusKind::Font) {
                const QString family =
                    r.text >= 0 && size_t(r.text) < m_m.texts.size() ? m_m.texts[size_t(r.text)] : QString();
                m_plusFonts.insert(r.i[0], PlusFont{r.r[0], r.i[2], r.i[3], family});
            } else if (kind == PlusKind::Path) {
                QPainterPath path;
                QPointF ctrl[2];
                int pending = 0;
                for (quint32 k = 0; k < r.count && k < r.auxCount; ++k) {
                    const QPointF p = Pt(r, k);
                    const quint32 type = m_m.counts[r.aux + k];
                    switch (type & 7) {
                    case 0:
                        path.moveTo(p);
                        pending = 0;
                        break;
                    case 3:
                        if (pending < 2) {
                            ctrl[pending++] = p;
                        } else {
                            path.cubicTo(ctrl[0], ctrl[1], p);
                            pending = 0;
                        }
                        break;
                    default:
                        path.lineTo(p);
                        break;
                    }
                    if (type & 0x80)
                        path.closeSubpath();
                }
                m_plusPaths.insert(r.i[0], path);
            }
            break;
        }
        case Op::PlusClear:
            m_p.fillRect(m_frameRect, Argb(r.u0));
            break;
        case Op::PlusFillRects:
            m_p.fillPath(PlusRects(r), PlusBrush(r));
            break;
        case Op::PlusDrawRects:
            Stroke(PlusRects(r), PlusPenOf(r.i[0]));
            break;
        case Op::PlusFillPolygon: {
            QPainterPath path;
            path.addPolygon(PlusPoly(r, 0, r.count));
            path.closeSubpath();
            m_p.fillPath(path, PlusBrush(r));
            break;
        }
        case Op::PlusDrawLines: {
            QPainterPath path;
            path.addPolygon(PlusPoly(r, 0, r.count));
            if (r.i[1])
                path.closeSubpath();
            Stroke(path, PlusPenOf(r.i[0]));
            break;
        }
        case Op::PlusFillEllipse:
        case Op::PlusDrawEllipse: {
            QPainterPath e;
            e.addEllipse(QRectF(Pt(r, 0), Pt(r, 1)));
            e = HeldPath(PlusMap().map(e));
            if (r.op == Op::PlusFillEllipse)
                m_p.fillPath(e, PlusBrush(r));
            else
                Stroke(e, PlusPenOf(r.i[0]));
            break;
        }
        case Op::PlusFillPie:
        case Op::PlusDrawArc: {
            // EMF+ angles run clockwise on screen; Qt's run counter-clockwise.
            const QRectF box(Pt(r, 0), Pt(r, 1));
            QPainterPath path;
            if (r.op == Op::PlusFillPie) {
                path.moveTo(box.center());
                path.arcTo(box, -r.r[0], -r.r[1]);
                path.closeSubpath();
                m_p.fillPath(HeldPath(PlusMap().map(path)), PlusBrush(r));
            } else {
                path.arcMoveTo(box, -r.r[0]);
                path.arcTo(box, -r.r[0], -r.r[1]);
                Stroke(HeldPath(PlusMap().map(path)), PlusPenOf(r.i[0]));
            }
            break;
        }
        case Op::PlusFillPath:
            m_p.fillPath(PlusPathOf(r.i[1]), PlusBrush(r));
            break;
        case Op::PlusDrawPath:
            Stroke(PlusPathOf(r.i[1]), PlusPenOf(r.i[0]));
            break;
        case Op::PlusDrawString: {
            double em = 0;
            const QFont font = PlusFontOf(r.i[1], &em);
            const auto it = m_plusFonts.constFind(r.i[1]);
            const QString text = PlusText(r, it == m_plusFonts.cend() ? QString() : it->family);
            m_budget -= text.size() * 4;
            const QTransform t = PlusMap();
            const double turn = std::atan2(-t.m12(), t.m11()) * 180 / M_PI;
            DrawText(text, Held(t.map(Pt(r, 0))), turn, font, PlusBrush(r).color(), nullptr, 0, 0, false,
                     QColor(), nullptr);
            break;
        }
        case Op::PlusDrawDriverString: {
            double em = 0;
            const QFont font = PlusFontOf(r.i[1], &em);
            const auto it = m_plusFonts.constFind(r.i[1]);
            const QString text = PlusText(r, it == m_plusFonts.cend() ? QString() : it->family);
            m_budget -= text.size() * 4;
            const QTransform t = PlusMap();
            const QColor colour = PlusBrush(r).color();
            if (r.i[2] || r.count < quint32(text.size())) {
                if (r.count > 0)
                    DrawText(text, Held(t.map(Pt(r, 0))), 0, font, colour, nullptr, 24, 0, false, QColor(),
                             nullptr);
                break;
            }
            m_p.save();
            m_p.setFont(font);
            m_p.setPen(colour);
            for (qsizetype k = 0; k < text.size(); ++k)
                m_p.drawText(Held(t.map(Pt(r, quint32(k)))), QString(text[k]));
            m_p.restore();
            break;
        }
        case Op::PlusSetWorldTransform: {
            const double* v = &m_m.reals[r.aux];
            s.world = QTransform(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        }
        case Op::PlusResetWorldTransform:
            s.world = QTransform();
            break;
        case Op::PlusMultiplyWorldTransform: {
            const double* v = &m_m.reals[r.aux];
            order(QTransform(v[0], v[1], v[2], v[3], v[4], v[5]));
            break;
        }
        case Op::PlusTranslateWorldTransform:
            order(QTransform::fromTranslate(r.r[0], r.r[1]));
            break;
        case Op::PlusScaleWorldTransform:
            order(QTransform::fromScale(r.r[0], r.r[1]));
            break;
        case Op::PlusRotateWorldTransform:
            order(QTransform().rotate(r.r[0]));
            break;
        case Op::PlusSetPageTransform:
            s.pageUnit = r.i[0];
            s.pageScale = r.r[0] > 0 ? r.r[0] : 1;
            break;
        case Op::PlusSave:
            if (m_plusSaved.size() < MaxSavedStates)
                m_plusSaved.insert(r.i[0], s);
            break;
        case Op::PlusRestore: {
            const auto it = m_plusSaved.constFind(r.i[0]);
            if (it != m_plusSaved.cend()) {
                s = *it;
                ApplyClip(s.clip);
            }
            break;
        }
        case Op::PlusSetClipRect: {
            QPainterPath box;
            box.addRect(QRectF(Pt(r, 0), Pt(r, 1)));
            // Replace 0, intersect 1, union 2, xor 3, exclude 4; the GDI modes count from one.
            static const int modes[5] = {5, 1, 2, 3, 4};
            CombineClip(s.clip, HeldPath(PlusMap().map(box)), modes[std::clamp(r.i[0], 0, 4)]);
            break;
        }
        case Op::PlusResetClip:
            s.clip.reset();
            ApplyClip(s.clip);
            break;
        case Op::PlusSetAntiAlias:
            m_p.setRenderHint(QPainter::Antialiasing, r.i[0] != 0);
            break;
        default:
            break;
        }
    }

    const Metafile& m_m;
    QPainter& m_p;
    qint64 m_budget;
    QTransform m_natToTarget, m_devToNat, m_base, m_map;
    bool m_mapValid = false;
    QRectF m_frameRect;
    QPainterPath m_baseClip;
    double m_hairline = 1;
    int m_dpi = 96;
    bool m_plusMode = false;
    bool m_drawGdi = true;

    Dc m_dc;
    std::vector<Dc> m_saved;
    std::vector<Object> m_objects;
    bool m_inPath = false;
    QPainterPath m_path;

    PlusState m_plus;
    QHash<qint32, QColor> m_plusBrushes;
    QHash<qint32, PlusPen> m_plusPens;
    QHash<qint32, QPainterPath> m_plusPaths;
    QHash<qint32, PlusFont> m_plusFonts;
    QHash<qint32, PlusState> m_plusSaved;
};

} // namespace

bool Play(const Metafile& picture, QPainter& painter, const QRectF& target, const PlayOptions& options) {
    if (target.isEmpty() || picture.naturalSize.isEmpty())
        return false;
    return Player(picture, painter, target, options).Run();
}

QImage Render(const Metafile& picture, QSize size, qreal ratio, const QColor& background) {
    if (size.isEmpty() || qint64(size.width()) * size.height() > (qint64(64) << 20))
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(background);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    Play(picture, painter, QRectF(QPointF(0, 0), QSizeF(size) / ratio));
    painter.end();
    return image;
}

} // namespace Mf
