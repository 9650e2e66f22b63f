#pragma once

#include <memory>

#include "model/edges/Edge.h"

// Another edge walked from its end to its start.
class ReverseEdge : public Edge {
public:
    explicit ReverseEdge(std::shared_ptr<Edge> wrapped);

    std::uint32_t pointCount() const override { return wrapped_->pointCount(); }
    // The wrapped edge's point count - 1 - i; an index at or beyond the count
    // gives this edge's end, the wrapped edge's first point.
    TAVO::Point<2, float> point(std::uint32_t index) const override;
    // The wrapped edge at 1 - t.
    TAVO::Point<2, float> pointAt(float t) const override { return wrapped_->pointAt(1.0f - t); }
    TAVO::Hyperrectangle<2, float> bounds() const override { return wrapped_->bounds(); }
    float distance(const TAVO::Point<2, float>& p) const override { return wrapped_->distance(p); }

    const Edge& wrapped() const { return *wrapped_; }

private:
    std::shared_ptr<Edge> wrapped_;
};
