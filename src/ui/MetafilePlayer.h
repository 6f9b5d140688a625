#pragma once
// Draws a parsed metafile onto a QPainter as vectors: the records keep the device context that GDI
// would keep (map modes, window and viewport, world transform, pens, brushes, fonts, clipping,
// paths, saved states), and the EMF+ records their own graphics state.
//
// Drawing is bounded by an operation budget (points, characters, clip changes and bitmap pixels
// counted together): past it the player stops and reports that the picture was drawn partly.
#include "Metafile.h"

#include <QColor>
#include <QImage>

class QPainter;

namespace Mf {

struct PlayOptions {
    qint64 budget = 3000000;
};

// Draws the picture so that it fills `target` (in the painter's coordinates); nothing outside the
// target is touched. False when the budget ran out before the last record.
bool Play(const Metafile& picture, QPainter& painter, const QRectF& target, const PlayOptions& options = {});

// The picture drawn into an image of `size` device pixels (its device pixel ratio set to `ratio`),
// on `background`.
QImage Render(const Metafile& picture, QSize size, qreal ratio = 1,
              const QColor& background = Qt::transparent);

} // namespace Mf
