// Playing GDI records: mapping modes, objects, paths, clipping and bitmaps.
#include "MetafilePlayback.h"

#include "SymbolFonts.h"

#include <cmath>

namespace Mf::Playing {

MetafilePlayback::MetafilePlayback(const Metafile& m, QPainter& painter, const QRectF& target,
                                   const PlayOptions& options)
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

bool MetafilePlayback::Run() {
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

const QTransform& MetafilePlayback::Map() {
    if (!m_mapValid) {
        m_map = m_dc.world * Page() * m_devToNat;
        m_mapValid = true;
    }
    return m_map;
}

QTransform MetafilePlayback::Page() const {
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

double MetafilePlayback::ScaleX() {
    const QTransform& t = Map();
    return std::hypot(t.m11(), t.m12());
}

double MetafilePlayback::ScaleY() {
    const QTransform& t = Map();
    return std::hypot(t.m21(), t.m22());
}

QPolygonF MetafilePlayback::Poly(const Record& r, quint32 from, quint32 n) {
    QPolygonF poly;
    poly.reserve(n);
    for (quint32 k = 0; k < n; ++k)
        poly.append(N(Pt(r, from + k)));
    return poly;
}

QPainterPath MetafilePlayback::BoxPath(QPointF a, QPointF b) {
    QPainterPath path;
    path.moveTo(N(a));
    path.lineTo(N(QPointF(b.x(), a.y())));
    path.lineTo(N(b));
    path.lineTo(N(QPointF(a.x(), b.y())));
    path.closeSubpath();
    return path;
}

QPainterPath MetafilePlayback::EllipsePath(QPointF a, QPointF b) {
    QPainterPath e;
    e.addEllipse(QRectF(a, b).normalized());
    return HeldPath(Map().map(e));
}

QPainterPath MetafilePlayback::HeldPath(const QPainterPath& path) {
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

QPen MetafilePlayback::MakePen(const PenObj& pen, double width) {
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

QColor MetafilePlayback::PenColour(QColor c) const {
    switch (m_dc.rop2) {
    case 1:
        return Qt::black;
    case 16:
        return Qt::white;
    default:
        return c;
    }
}

QBrush MetafilePlayback::MakeBrush(const BrushObj& b) {
    switch (b.style) {
    case 1: // BS_NULL
        return Qt::NoBrush;
    case 2: { // BS_HATCHED
        static const Qt::BrushStyle styles[6] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
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

void MetafilePlayback::Stroke(const QPainterPath& path, QPen pen) {
    if (pen.style() == Qt::NoPen)
        return;
    if (pen.style() != Qt::SolidLine) {
        const QRectF box = m_base.mapRect(path.controlPointRect());
        if (box.width() + box.height() > 20000)
            pen.setStyle(Qt::SolidLine);
    }
    m_p.strokePath(path, pen);
}

void MetafilePlayback::Fill(const QPainterPath& path, const QBrush& brush) {
    if (brush.style() == Qt::NoBrush)
        return;
    if (brush.style() != Qt::SolidPattern && brush.style() != Qt::TexturePattern && m_dc.bkMode == 2)
        m_p.fillPath(path, m_dc.bk); // the gaps of a hatch take the background colour
    m_p.fillPath(path, brush);
}

void MetafilePlayback::Shape(QPainterPath path) {
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

void MetafilePlayback::Line(const QPainterPath& path) {
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    if (m_drawGdi)
        Stroke(path, CurrentPen());
}

QPainterPath MetafilePlayback::ArcPath(QPointF a, QPointF b, QPointF start, QPointF end, int kind,
                                       int direction) {
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

void MetafilePlayback::Create(qint32 slot, Object obj) {
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

void MetafilePlayback::Select(qint32 slot) {
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

void MetafilePlayback::ApplyClip(const std::optional<QPainterPath>& clip) {
    m_budget -= 50;
    m_p.setClipPath(m_baseClip, Qt::ReplaceClip);
    if (clip)
        m_p.setClipPath(*clip, Qt::IntersectClip);
}

void MetafilePlayback::CombineClip(std::optional<QPainterPath>& clip, const QPainterPath& shape, int mode) {
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

void MetafilePlayback::GdiRecord(const Record& r) {
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

void MetafilePlayback::Bitmap(const Record& r) {
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
    QTransform place = QTransform::fromScale(dest.width() / source.width(), dest.height() / source.height()) *
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

} // namespace Mf::Playing
