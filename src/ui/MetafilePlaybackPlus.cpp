// Playing EMF+ records: their own units, objects, transforms and clipping, over the same painter.
#include "MetafilePlayback.h"

#include "SymbolFonts.h"

#include <cmath>

namespace Mf::Playing {

QTransform MetafilePlayback::PlusMap() const {
    const double u = PlusUnit(m_plus.pageUnit, m_m.plusDpiX) * m_plus.pageScale;
    const double v = PlusUnit(m_plus.pageUnit, m_m.plusDpiY) * m_plus.pageScale;
    return m_plus.world * QTransform::fromScale(u, v) * m_devToNat;
}

double MetafilePlayback::PlusUnit(int unit, double dpi) {
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

QBrush MetafilePlayback::PlusBrush(const Record& r) {
    if (r.i[0] < 0)
        return QBrush(Argb(r.u0));
    const auto it = m_plusBrushes.constFind(r.i[0]);
    return it == m_plusBrushes.cend() ? QBrush(Qt::black) : QBrush(*it);
}

QPen MetafilePlayback::PlusPenOf(qint32 id) {
    const auto it = m_plusPens.constFind(id);
    const PlusPen pen = it == m_plusPens.cend() ? PlusPen{} : *it;
    const QTransform t = PlusMap();
    double width;
    if (pen.unit == 0 || pen.unit == 1 || pen.unit == 2) {
        // World units, or device pixels (which the page transform does not scale).
        const double s = std::sqrt(std::abs(t.determinant()));
        width = pen.unit == 0 ? pen.width * s : pen.width * std::sqrt(std::abs(m_devToNat.determinant()));
    } else {
        width = pen.width * PlusUnit(pen.unit, m_m.plusDpiX) * std::sqrt(std::abs(m_devToNat.determinant()));
    }
    QPen p(pen.colour);
    p.setWidthF(std::max(width, m_hairline));
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    if (pen.style >= 1 && pen.style <= 4)
        p.setStyle(Qt::PenStyle(pen.style + 1));
    return p;
}

QPolygonF MetafilePlayback::PlusPoly(const Record& r, quint32 from, quint32 n) {
    const QTransform t = PlusMap();
    QPolygonF poly;
    poly.reserve(n);
    for (quint32 k = 0; k < n; ++k)
        poly.append(Held(t.map(Pt(r, from + k))));
    return poly;
}

QPainterPath MetafilePlayback::PlusRects(const Record& r) {
    const QTransform t = PlusMap();
    QPainterPath path;
    for (quint32 k = 0; k + 1 < r.count; k += 2) {
        QPainterPath box;
        box.addRect(QRectF(Pt(r, k), Pt(r, k + 1)));
        path.addPath(HeldPath(t.map(box)));
    }
    return path;
}

QPainterPath MetafilePlayback::PlusPathOf(qint32 id) {
    const auto it = m_plusPaths.constFind(id);
    return it == m_plusPaths.cend() ? QPainterPath() : HeldPath(PlusMap().map(*it));
}

QFont MetafilePlayback::PlusFontOf(qint32 id, double* emOut) {
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

QString MetafilePlayback::PlusText(const Record& r, const QString& family) {
    if (r.text < 0 || size_t(r.text) >= m_m.texts.size())
        return QString();
    return SymbolFonts::MapText(m_m.texts[size_t(r.text)].left(MaxTextChars),
                                SymbolFonts::EncodingOf(family, 1));
}

void MetafilePlayback::PlusRecord(const Record& r) {
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

} // namespace Mf::Playing
