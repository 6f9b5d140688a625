#pragma once
// Windows metafiles (WMF, with or without the placeable header, and EMF with its EMF+ records) read
// into a flat list of drawing operations that MetafilePlayer draws onto a QPainter.
//
// Reading is bounded: every record's size is checked against the bytes left, nothing is allocated
// from a declared count before the bytes behind it are known to be there, and the number of records,
// points, characters and bitmap pixels kept has a fixed cap. A damaged or hostile file is refused
// (no header) or kept up to the first damaged record, with `truncated` set.
#include <QByteArrayView>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

namespace Mf {

enum class Format : quint8 { Wmf, Emf };

// Which records the player draws: GDI records, EMF+ records, or GDI records that an EMF+ stream
// hands over to (after EmfPlusGetDC), which are drawn either way.
enum class Layer : quint8 { Gdi, Plus, GdiInPlus };

enum class Op : quint8 {
    // device context state
    SaveDc,          // i0: 0
    RestoreDc,       // i0: relative (negative) or absolute level
    SetMapMode,      // i0
    SetWindowOrg,    // p0
    SetWindowExt,    // p0
    SetViewportOrg,  // p0
    SetViewportExt,  // p0
    OffsetWindowOrg, // p0
    OffsetViewportOrg,
    ScaleWindowExt,       // i0/i1 x, i2/i3 y
    ScaleViewportExt,     // i0/i1 x, i2/i3 y
    SetWorldTransform,    // r[first..first+6): m11 m12 m21 m22 dx dy
    ModifyWorldTransform, // i0 mode (1 identity, 2 left multiply, 3 right multiply, 4 set)
    SetBkMode,            // i0: 1 transparent, 2 opaque
    SetBkColor,           // u0 COLORREF
    SetTextColor,         // u0 COLORREF
    SetTextAlign,         // i0 TA_ flags
    SetPolyFillMode,      // i0 1 alternate, 2 winding
    SetRop2,              // i0
    SetArcDirection,      // i0 1 counterclockwise, 2 clockwise
    SetTextCharExtra,     // i0 logical units between characters
    SetMiterLimit,        // r0
    // objects; WMF creation takes the lowest free slot (i0 = -1), EMF names the slot in i0
    CreatePen,         // i0 slot, i1 style, i2 width, u0 colour
    CreateBrush,       // i0 slot, i1 style, i2 hatch, u0 colour, image index in i3 (-1 none)
    CreateFont,        // i0 slot, i1 height, i2 width, i3 escapement, i4 weight, flags
                       // italic|underline<<1|strike<<2,
                       // u0 charset, text = face name
    CreatePlaceholder, // i0 slot: a palette or region that takes a slot and draws nothing
    SelectObject,      // i0 slot, or StockBit | stock index
    DeleteObject,      // i0 slot
    // drawing; coordinates are logical, in points[first..first+count)
    MoveTo,       // p0
    LineTo,       // p0
    Rectangle,    // p0 p1 corners
    RoundRect,    // p0 p1 corners, p2 corner ellipse size
    Ellipse,      // p0 p1
    Arc,          // p0 p1 box, p2 start, p3 end
    ArcTo,        // as Arc, moves the current position
    Chord,        // as Arc
    Pie,          // as Arc
    Polyline,     // points
    Polygon,      // points
    PolyPolygon,  // points; counts[aux..aux+parts)
    PolyPolyline, // points; counts[aux..aux+parts)
    PolyBezier,   // points
    PolyBezierTo, // points, starts at the current position
    PolylineTo,   // points, starts at the current position
    SetPixel,     // p0, u0 colour
    PatBlt,       // p0 p1 corners, u0 rop
    FillRect,     // p0 p1 corners filled with the current brush (EMF+ and regions use it too)
    Text,         // p0 reference, i0 options, i1 has rect, p1 p2 rect, text, dx in reals[aux..aux+dxCount)
    Bitmap,       // p0 p1 destination corners, image index i0, source rect i1..i4, u0 rop
    // clipping
    IntersectClipRect, // p0 p1
    ExcludeClipRect,   // p0 p1
    OffsetClip,        // p0
    SetClipRects,      // rects as point pairs, i0 mode (1 and, 2 or, 3 xor, 4 diff, 5 copy), count 0 resets
    // paths
    BeginPath,
    EndPath,
    AbortPath,
    CloseFigure,
    FillPath,
    StrokePath,
    StrokeAndFillPath,
    SelectClipPath, // i0 mode
    // EMF+ (world units, float); colours are ARGB in u0
    PlusObject,            // i0 object id, i1 kind (PlusKind), see PlusObject fields below
    PlusClear,             // u0 ARGB
    PlusFillRects,         // points as corner pairs, i0 brush id or -1 with u0 colour
    PlusDrawRects,         // points as corner pairs, i0 pen id
    PlusFillPolygon,       // points, i0 brush / u0, i1 winding
    PlusDrawLines,         // points, i0 pen, i1 closed
    PlusFillEllipse,       // p0 p1, brush
    PlusDrawEllipse,       // p0 p1, pen
    PlusDrawArc,           // p0 p1 box, r0 start, r1 sweep (degrees), i0 pen
    PlusFillPie,           // p0 p1 box, r0 start, r1 sweep, brush
    PlusFillPath,          // i1 path id, brush
    PlusDrawPath,          // i1 path id, i0 pen
    PlusDrawString,        // p0 p1 layout rect, i0 brush / u0, i1 font id, i2 format flags, text
    PlusDrawDriverString,  // points: one origin per character, brush, i1 font id, text
    PlusSetWorldTransform, // reals[aux..aux+6)
    PlusResetWorldTransform,
    PlusMultiplyWorldTransform,  // reals[aux..aux+6), i0 1: post-multiply
    PlusTranslateWorldTransform, // r0 r1, i0 order
    PlusScaleWorldTransform,     // r0 r1, i0 order
    PlusRotateWorldTransform,    // r0 degrees, i0 order
    PlusSetPageTransform,        // i0 unit, r0 scale
    PlusSave,                    // i0 stack id
    PlusRestore,                 // i0 stack id
    PlusSetClipRect,             // p0 p1, i0 combine mode
    PlusResetClip,
    PlusSetAntiAlias, // i0 on
};

// Kinds of EMF+ objects.
enum class PlusKind : qint32 { Brush = 1, Pen = 2, Path = 3, Font = 6 };

// The top bit of a SelectObject slot names a stock object.
inline constexpr qint32 StockBit = qint32(0x80000000u);

struct Record {
    Op op;
    Layer layer = Layer::Gdi;
    quint8 flags = 0;
    qint32 i[5] = {};
    quint32 u0 = 0;
    quint32 first = 0; // into points
    quint32 count = 0;
    quint32 aux = 0; // into counts or reals
    quint32 auxCount = 0;
    qint32 text = -1; // into texts
    double r[2] = {};
};

struct Metafile {
    Format format = Format::Wmf;
    // The picture's size at 96 dots per inch.
    QSizeF naturalSize;
    // WMF: the logical window that fills the picture (the placeable header's box, else the first
    // window the records set, else the extent of what they draw). EMF: the frame in reference-device
    // pixels (rclFrame converted with the header's device and millimetre sizes).
    QRectF frame;
    bool placeable = false;
    // EMF: reference device pixels per millimetre, for the metric map modes.
    double devicePerMmX = 96 / 25.4, devicePerMmY = 96 / 25.4;
    // EMF+: the logical dots per inch of the EMF+ header; plusDual: the GDI records duplicate it.
    bool hasPlus = false, plusDual = false, plusUnsupported = false;
    double plusDpiX = 96, plusDpiY = 96;
    bool truncated = false;

    std::vector<Record> records;
    std::vector<QPointF> points;
    std::vector<quint32> counts;
    std::vector<double> reals;
    std::vector<QString> texts;
    std::vector<QImage> images;
    // EMF+ paths: their points and point types live in points and counts (one type byte a count).

    // True when the EMF+ records are the ones to draw.
    bool DrawsPlus() const { return hasPlus && !(plusDual && plusUnsupported); }
};

using MetafilePtr = std::shared_ptr<const Metafile>;

struct Limits {
    qint64 maxRecords = 500000;
    qint64 maxPoints = 2000000;
    qint64 maxChars = 1000000;
    qint64 maxPixels = qint64(16) << 20;
};

// True when the bytes begin like a WMF (placeable or not) or an EMF.
bool LooksLikeMetafile(QByteArrayView data);

// Reads a metafile; nullptr when the data is no metafile or its header is damaged. A record past
// the end of the data or past a limit ends the reading, keeping what came before.
MetafilePtr Parse(QByteArrayView data, const Limits& limits = Limits());

} // namespace Mf
