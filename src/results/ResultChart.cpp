#include "ResultChart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int ChartPercent(double part, double whole) {
    if (!(whole > 0))
        return 0;
    const double p = part * 100.0 / whole;
    // Halves to even, whatever the floating-point environment's rounding mode.
    const double lower = std::floor(p);
    const double diff = p - lower;
    double r = lower;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0.0))
        r = lower + 1;
    return int(std::clamp(r, -1e9, 1e9));
}

ChartWedge WedgeOf(int percent, QSize box) {
    ChartWedge w;
    const int p = std::clamp(percent, 0, 100);
    const int cx = box.width() / 2;
    const int cy = box.height() / 2;
    const double theta = (p / 50.0 + 0.5) * std::numbers::pi;
    w.start =
        QPoint(int(std::lround((1 - std::cos(theta)) * cx)), int(std::lround((1 - std::sin(theta)) * cy)));
    w.end = QPoint(cx, 0);
    w.startDegrees = 90.0;
    if (p == 0)
        return w;
    if (w.start == w.end) {
        // Coinciding radials make the full circle; a tiny wedge that rounds onto the top is nothing.
        w.spanDegrees = p >= 50 ? 360.0 : 0.0;
        return w;
    }
    // The painter measures angles on a circle, so the radial's angle is taken from the centre.
    const double a =
        std::atan2(double(cy - w.start.y()) / std::max(cy, 1), double(w.start.x() - cx) / std::max(cx, 1)) *
        180.0 / std::numbers::pi;
    double span = 90.0 - a;
    while (span <= 0)
        span += 360.0;
    while (span > 360.0)
        span -= 360.0;
    w.startDegrees = a;
    w.spanDegrees = span;
    return w;
}
