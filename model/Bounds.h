#pragma once

#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"

// The rectangle rules of the puzzle model: edge bounds grow point by point,
// piece and part bounds are unions, hit tests widen a rectangle by a radius.
class Bounds {
public:
    using Rectangle = TAVO::Hyperrectangle<2, float>;

    // The rectangle of size (0, 0) at the point.
    static Rectangle at(const TAVO::Point<2, float>& point);
    // Per axis: a point before the origin moves the origin there and keeps the
    // far end; a point beyond the far end moves the far end there.
    static void extend(Rectangle& rectangle, const TAVO::Point<2, float>& point);
    // Per axis: the smaller origin, and the larger far end minus that origin.
    static Rectangle unite(const Rectangle& a, const Rectangle& b);
    // Widened by the distance on every side.
    static Rectangle grow(const Rectangle& rectangle, float distance);
};
