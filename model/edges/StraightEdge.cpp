#include "model/edges/StraightEdge.h"

#include "model/Bounds.h"
#include "model/edges/SegmentMeasure.h"

using TAVO::Point;

StraightEdge::StraightEdge(const Point<2, float>& from, const Point<2, float>& to) : segment_(from, to) {}

Point<2, float> StraightEdge::point(std::uint32_t index) const {
    return index == 0 ? segment_.ray().origin() : SegmentMeasure::end(segment_);
}

Point<2, float> StraightEdge::pointAt(float t) const {
    // The distance along is t * length, then origin + direction * it.
    return SegmentMeasure::along(segment_, t * segment_.length());
}

TAVO::Hyperrectangle<2, float> StraightEdge::bounds() const {
    Bounds::Rectangle result = Bounds::at(segment_.ray().origin());
    Bounds::extend(result, SegmentMeasure::end(segment_));
    return result;
}

float StraightEdge::distance(const Point<2, float>& p) const {
    return SegmentMeasure::distance(segment_, p);
}
