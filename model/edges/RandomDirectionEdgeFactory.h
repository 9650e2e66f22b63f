#pragma once

#include "model/edges/EdgeFactory.h"

namespace TAVO {
class RandomSource;
}

// Makes each edge with another factory, walked forwards or, on a draw of 0
// out of 2, made backwards and wrapped in a ReverseEdge: the result always
// runs from the first point to the second, but a tab may bulge to either side.
class RandomDirectionEdgeFactory : public EdgeFactory {
public:
    // Neither is owned.
    RandomDirectionEdgeFactory(EdgeFactory* inner, TAVO::RandomSource* random);

    std::unique_ptr<Edge>& create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                  const TAVO::Point<2, float>& to) override;

private:
    EdgeFactory* inner_;
    TAVO::RandomSource* random_;
};
