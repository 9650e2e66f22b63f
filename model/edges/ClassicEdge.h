#pragma once

#include <array>

#include "geometry/LineSegment.h"
#include "model/edges/CubicBezier.h"
#include "model/edges/Edge.h"

// The jigsaw tab: a straight neck A from the start, two cubic curves B and C
// through the head's apex H, and a straight neck D to the end. The head lies
// on the side of the normal (-d.y, d.x) of the direction d from start to end.
class ClassicEdge : public Edge {
public:
    // The ten shape values, in draw order.
    using Shape = std::array<float, 10>;

    // from F, to T, the shape values s0 to s9, and the point count (at least 4).
    ClassicEdge(const TAVO::Point<2, float>& from, const TAVO::Point<2, float>& to, const Shape& shape,
                std::uint32_t pointCount);

    std::uint32_t pointCount() const override { return count_; }
    // 0: F; 1 to h - 1: B sampled from 0; h to count - 2: C sampled from 0;
    // from count - 1 on: the end of D (h = count / 2).
    TAVO::Point<2, float> point(std::uint32_t index) const override;
    // The quarters of [0, 1] are A, B, C and D; outside [0, 1] A and D extend.
    TAVO::Point<2, float> pointAt(float t) const override;
    // F extended by T, H, the end of A and the start of D (not the bulges).
    TAVO::Hyperrectangle<2, float> bounds() const override;
    // The smallest of the distances to D, A, B (sampled) and C (sampled).
    float distance(const TAVO::Point<2, float>& p) const override;

    const TAVO::Point<2, float>& from() const { return from_; }
    const TAVO::Point<2, float>& to() const { return to_; }
    const Shape& shape() const { return shape_; }

private:
    TAVO::Point<2, float> from_;
    TAVO::Point<2, float> to_;
    Shape shape_;
    std::uint32_t count_;

    // Derived once from the fields above.
    TAVO::Point<2, float> apex_;
    TAVO::LineSegment<2, float> neckA_;
    TAVO::LineSegment<2, float> neckD_;
    CubicBezier rising_;  // B
    CubicBezier falling_; // C
};
