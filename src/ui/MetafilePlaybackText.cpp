// Drawing the text of GDI records: fonts as GDI chooses them, symbol fonts mapped to Unicode,
// alignment, escapement and the advances the record gives.
#include "MetafilePlayback.h"

#include "SymbolFonts.h"

#include <QFontMetricsF>

#include <cmath>

namespace Mf::Playing {

QFont MetafilePlayback::MakeFont(const QString& face, int charset, double em, int weight, bool italic,
                                 bool underline, bool strike) {
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

double MetafilePlayback::MaxTextSize() const {
    return std::max(16.0, 2 * std::max(m_frameRect.width(), m_frameRect.height()));
}

void MetafilePlayback::DrawText(const QString& text, QPointF origin, double angle, const QFont& font,
                                const QColor& colour, const std::vector<double>* advances, int align,
                                double extra, bool opaque, QColor bk, double* widthOut) {
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

void MetafilePlayback::Text(const Record& r) {
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

} // namespace Mf::Playing
