#include "model/edges/RandomDirectionEdgeFactory.h"

#include "foundation/random/RandomSource.h"
#include "model/edges/ReverseEdge.h"

RandomDirectionEdgeFactory::RandomDirectionEdgeFactory(EdgeFactory* inner, TAVO::RandomSource* random)
    : inner_(inner), random_(random) {}

std::unique_ptr<Edge>& RandomDirectionEdgeFactory::create(std::unique_ptr<Edge>& out,
                                                          const TAVO::Point<2, float>& from,
                                                          const TAVO::Point<2, float>& to) {
    // The direction draw comes before the inner factory's own draws.
    std::uint32_t forward = 0;
    random_->readChoices(&forward, 1, 2);
    if (forward != 0)
        return inner_->create(out, from, to);
    std::unique_ptr<Edge> backwards;
    inner_->create(backwards, to, from);
    out = std::make_unique<ReverseEdge>(std::shared_ptr<Edge>(std::move(backwards)));
    return out;
}
