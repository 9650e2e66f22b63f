#include "model/edges/StraightEdgeFactory.h"

#include "model/edges/StraightEdge.h"

std::unique_ptr<Edge>& StraightEdgeFactory::create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                                   const TAVO::Point<2, float>& to) {
    out = std::make_unique<StraightEdge>(from, to);
    return out;
}
