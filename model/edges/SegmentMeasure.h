#pragma once

#include "geometry/LineSegment.h"
#include "geometry/Point.h"

// Where a straight segment ends and how far a point lies from it.
class SegmentMeasure {
public:
    using Segment = TAVO::LineSegment<2, float>;

    // origin + direction * length.
    static TAVO::Point<2, float> end(const Segment& segment);
    // origin + direction * distance along.
    static TAVO::Point<2, float> along(const Segment& segment, float distance);
    // The distance from p to the nearest point of the segment: the projection
    // s = (p - origin) . direction clamped to the origin (s < 0) or the end
    // (s > length).
    static float distance(const Segment& segment, const TAVO::Point<2, float>& p);
};
