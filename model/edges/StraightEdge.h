#pragma once

#include "geometry/LineSegment.h"
#include "model/edges/Edge.h"

// A straight edge: the border of a grid puzzle.
class StraightEdge : public Edge {
public:
    // The segment from one point to the other (a zero length gets the
    // direction (1/sqrt(2), 1/sqrt(2))).
    StraightEdge(const TAVO::Point<2, float>& from, const TAVO::Point<2, float>& to);

    // 2.
    std::uint32_t pointCount() const override { return 2; }
    // The origin for index 0, the end for every other index.
    TAVO::Point<2, float> point(std::uint32_t index) const override;
    // origin + direction * (t * length), for any t.
    TAVO::Point<2, float> pointAt(float t) const override;
    TAVO::Hyperrectangle<2, float> bounds() const override;
    float distance(const TAVO::Point<2, float>& p) const override;

    const TAVO::LineSegment<2, float>& segment() const { return segment_; }

private:
    TAVO::LineSegment<2, float> segment_;
};
