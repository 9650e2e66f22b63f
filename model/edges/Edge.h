#pragma once

#include <cstdint>

#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"

// The curve along which two pieces meet, or a piece meets the puzzle border.
// An edge runs from its start (point 0, pointAt(0)) to its end (the last
// point, pointAt(1)) and never changes once made.
class Edge {
public:
    virtual ~Edge() = default;

    // The number of polyline points, at least 2.
    virtual std::uint32_t pointCount() const = 0;
    // Polyline point i; an index at or beyond the count gives the end point.
    virtual TAVO::Point<2, float> point(std::uint32_t index) const = 0;
    // The point on the curve at t: 0 is the start, 1 the end.
    virtual TAVO::Point<2, float> pointAt(float t) const = 0;
    // A rectangle around the edge's defining points.
    virtual TAVO::Hyperrectangle<2, float> bounds() const = 0;
    // The distance from p to the edge.
    virtual float distance(const TAVO::Point<2, float>& p) const = 0;
};
