// The state a metafile is played with: the device context GDI keeps, its objects and saved states,
// and the EMF+ state beside it. GDI records are played in MetafilePlayback.cpp, their text in
// MetafilePlaybackText.cpp, EMF+ records in MetafilePlaybackPlus.cpp.
#pragma once

#include "Metafile.h"
#include "MetafilePlayer.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

namespace Mf::Playing {

// Geometry is drawn in the picture's natural pixels; far beyond them nothing is visible, and
// coordinates are held there so that no transform can make them overflow.
constexpr double CoordLimit = 1e7;
constexpr int MaxSavedStates = 1024;
constexpr int MaxSlots = 65536;
constexpr int MaxTextChars = 4096;

inline QColor ColourRef(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline QColor Argb(quint32 c) {
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), int(c >> 24));
}
inline QPointF Held(QPointF p) {
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

class MetafilePlayback {
public:
    MetafilePlayback(const Metafile& m, QPainter& painter, const QRectF& target, const PlayOptions& options);

    bool Run();

private:
    // ------------------------------------------------------------ mapping

    QPointF Pt(const Record& r, quint32 k) const { return m_m.points[r.first + k]; }

    // Logical to natural pixels, cached until the mapping changes.
    const QTransform& Map();
    QTransform Page() const;
    void Changed() { m_mapValid = false; }

    QPointF N(QPointF logical) { return Held(Map().map(logical)); }
    double ScaleX();
    double ScaleY();
    QPolygonF Poly(const Record& r, quint32 from, quint32 n);
    // A box of two corners as a polygon of four mapped corners (it turns with the world transform).
    QPainterPath BoxPath(QPointF a, QPointF b);
    // An ellipse inside a box, mapped as a whole so that it turns and stretches with the mapping.
    QPainterPath EllipsePath(QPointF a, QPointF b);
    static QPainterPath HeldPath(const QPainterPath& path);

    // ------------------------------------------------------------ drawing

    QPen MakePen(const PenObj& pen, double width);
    QColor PenColour(QColor c) const;
    QPen CurrentPen() { return MakePen(m_dc.pen, m_dc.pen.width * ScaleX()); }
    QBrush MakeBrush(const BrushObj& b);
    // Dashing a line that runs far beyond the picture would cost a dash per few pixels of it.
    void Stroke(const QPainterPath& path, QPen pen);
    void Fill(const QPainterPath& path, const QBrush& brush);
    // A closed figure: filled with the brush, outlined with the pen; in a path bracket it is added.
    void Shape(QPainterPath path);
    void Line(const QPainterPath& path);

    // The arc of a box from the ray through `start` to the ray through `end`, in GDI's direction.
    QPainterPath ArcPath(QPointF a, QPointF b, QPointF start, QPointF end, int kind, int direction);

    // ------------------------------------------------------------ objects

    void Create(qint32 slot, Object obj);
    void Select(qint32 slot);

    // ------------------------------------------------------------ text

    QFont MakeFont(const QString& face, int charset, double em, int weight, bool italic, bool underline,
                   bool strike);

    double MaxTextSize() const;

    // Draws `text` with its baseline origin at `origin` (natural pixels), turned by `angle` degrees
    // (counter-clockwise on screen), characters placed by `advances` when given.
    void DrawText(const QString& text, QPointF origin, double angle, const QFont& font, const QColor& colour,
                  const std::vector<double>* advances, int align, double extra, bool opaque, QColor bk,
                  double* widthOut);

    void Text(const Record& r);

    // ------------------------------------------------------------ clipping

    void ApplyClip(const std::optional<QPainterPath>& clip);
    // Combines the clip with a shape in natural pixels: 1 and, 2 or, 3 xor, 4 difference, 5 copy.
    void CombineClip(std::optional<QPainterPath>& clip, const QPainterPath& shape, int mode);

    // ------------------------------------------------------------ GDI records

    void GdiRecord(const Record& r);

    void Bitmap(const Record& r);

    // ------------------------------------------------------------ EMF+

    QTransform PlusMap() const;
    static double PlusUnit(int unit, double dpi);
    QBrush PlusBrush(const Record& r);
    QPen PlusPenOf(qint32 id);
    QPolygonF PlusPoly(const Record& r, quint32 from, quint32 n);
    QPainterPath PlusRects(const Record& r);
    QPainterPath PlusPathOf(qint32 id);
    QFont PlusFontOf(qint32 id, double* emOut);
    QString PlusText(const Record& r, const QString& family);

    void PlusRecord(const Record& r);

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

} // namespace Mf::Playing
