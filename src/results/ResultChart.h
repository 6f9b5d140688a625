#pragma once
// The geometry of the results window's pie charts. A wedge for p per cent starts at 12 o'clock and
// runs clockwise over p per cent of the turn; it is drawn as a pie that sweeps counter-clockwise
// from a start radial point to the top of the circle, both points on the box's integer grid.
#include <QPoint>
#include <QSize>

// A percentage rounded to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4); 0 when the
// whole is 0 or less.
int ChartPercent(double part, double whole);

struct ChartWedge {
    QPoint start; // where the counter-clockwise sweep begins
    QPoint end;   // the top of the circle
    // The same pie in the painter's terms: counter-clockwise from 3 o'clock, in degrees.
    double startDegrees = 0;
    double spanDegrees = 0;
    bool IsEmpty() const { return spanDegrees <= 0; }
};

// The wedge of p per cent (0 to 100; other values are taken as the nearer end) in a box of `box`.
ChartWedge WedgeOf(int percent, QSize box);
