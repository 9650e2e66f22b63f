#pragma once

#include <memory>

#include "geometry/Point.h"
#include "model/edges/Edge.h"

// Makes the edge between two corner points; which factories a generator is
// handed decides the shape of the cut.
class EdgeFactory {
public:
    virtual ~EdgeFactory() = default;
    // Stores a new edge from `from` to `to` in out and returns out.
    virtual std::unique_ptr<Edge>& create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                          const TAVO::Point<2, float>& to) = 0;
};
