#include "model/edges/ClassicEdge.h"

#include <algorithm>

#include "model/Bounds.h"
#include "model/edges/SegmentMeasure.h"

using TAVO::Point;
using TAVO::Vector;

ClassicEdge::ClassicEdge(const Point<2, float>& from, const Point<2, float>& to, const Shape& shape,
                         std::uint32_t pointCount)
    : from_(from), to_(to), shape_(shape), count_(std::max<std::uint32_t>(pointCount, 4)) {
    const Shape& s = shape_;
    const Vector<2, float> d = to - from;
    const Vector<2, float> n(-d[1], d[0]);
    // Squares summed in float, square root in double, back to float.
    const float length = TAVO::length(d);
    // P(a, b) = (F + d*a) + n*b, per component.
    auto at = [&](float a, float b) { return (from + d * a) + n * b; };
    // Neck ends at (0.5 + s1) -/+ s0*0.5 along, lifted by s2 and s3; the apex
    // at 0.5 + s5 along, s4 across.
    const Point<2, float> neckEnd = at((0.5f + s[1]) - s[0] * 0.5f, s[2]);
    const Point<2, float> neckStart = at((0.5f + s[1]) + s[0] * 0.5f, s[3]);
    apex_ = at(0.5f + s[5], s[4]);
    neckA_ = TAVO::LineSegment<2, float>(from, neckEnd);
    neckD_ = TAVO::LineSegment<2, float>(neckStart, to);
    // Tangents: (dirA*L)*s6 from the end of A, (-d)*s7 into H, d*s9 out of H,
    // ((-dirD)*L)*s8 into the start of D.
    rising_ = CubicBezier(SegmentMeasure::end(neckA_), (neckA_.ray().direction() * length) * s[6], apex_,
                          (-d) * s[7]);
    falling_ = CubicBezier(apex_, d * s[9], neckD_.ray().origin(), ((-neckD_.ray().direction()) * length) * s[8]);
}

Point<2, float> ClassicEdge::point(std::uint32_t index) const {
    const std::uint32_t half = count_ / 2;
    if (index == 0)
        return neckA_.ray().origin();
    // The fractions in float from the integers: (i-1)/(h-1) and (i-h)/(c-h-1).
    if (index < half)
        return rising_.at(float(index - 1) / float(half - 1));
    if (index < count_ - 1)
        return falling_.at(float(index - half) / float(count_ - half - 1));
    return SegmentMeasure::end(neckD_);
}

Point<2, float> ClassicEdge::pointAt(float t) const {
    if (t < 0.25f)
        return SegmentMeasure::along(neckA_, (t * 4.0f) * neckA_.length());
    if (t < 0.5f)
        return rising_.at((t - 0.25f) * 4.0f);
    if (t < 0.75f)
        return falling_.at((t - 0.5f) * 4.0f);
    return SegmentMeasure::along(neckD_, ((t - 0.75f) * 4.0f) * neckD_.length());
}

TAVO::Hyperrectangle<2, float> ClassicEdge::bounds() const {
    Bounds::Rectangle result = Bounds::at(from_);
    Bounds::extend(result, to_);
    Bounds::extend(result, apex_);
    Bounds::extend(result, SegmentMeasure::end(neckA_));
    Bounds::extend(result, neckD_.ray().origin());
    return result;
}

float ClassicEdge::distance(const Point<2, float>& p) const {
    float result = SegmentMeasure::distance(neckD_, p);
    result = std::min(result, SegmentMeasure::distance(neckA_, p));
    result = std::min(result, rising_.distance(p));
    result = std::min(result, falling_.distance(p));
    return result;
}
