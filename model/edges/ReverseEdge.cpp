#include "model/edges/ReverseEdge.h"

ReverseEdge::ReverseEdge(std::shared_ptr<Edge> wrapped) : wrapped_(std::move(wrapped)) {}

TAVO::Point<2, float> ReverseEdge::point(std::uint32_t index) const {
    const std::uint32_t count = wrapped_->pointCount();
    // Clamped before mirroring: count - 1 - index would wrap round to a huge
    // index, which the wrapped edge answers with its end, our start.
    if (index >= count)
        index = count - 1;
    return wrapped_->point(count - 1 - index);
}
