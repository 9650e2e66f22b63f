#include "model/edges/SegmentMeasure.h"

using TAVO::Point;
using TAVO::Vector;

Point<2, float> SegmentMeasure::end(const Segment& segment) {
    return along(segment, segment.length());
}

Point<2, float> SegmentMeasure::along(const Segment& segment, float distance) {
    // Each component: origin + (direction * distance).
    return segment.ray().origin() + segment.ray().direction() * distance;
}

float SegmentMeasure::distance(const Segment& segment, const Point<2, float>& p) {
    const float s = TAVO::dot(p - segment.ray().origin(), segment.ray().direction());
    Point<2, float> nearest;
    if (s < 0.0f)
        nearest = segment.ray().origin();
    else if (s > segment.length())
        nearest = end(segment);
    else
        nearest = along(segment, s);
    // Squares summed in float, square root in double.
    return TAVO::length(p - nearest);
}
