#pragma once

#include "model/edges/EdgeFactory.h"

// Straight edges; draws nothing.
class StraightEdgeFactory : public EdgeFactory {
public:
    std::unique_ptr<Edge>& create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                  const TAVO::Point<2, float>& to) override;
};
