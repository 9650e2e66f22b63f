#pragma once

#include <cstdint>

#include "model/edges/EdgeFactory.h"

namespace TAVO {
class RandomSource;
}

// Jigsaw-tab edges with ten shape values drawn per edge. Saved games
// regenerate their cut from a seed, so the draws and their arithmetic are
// fixed for good.
class ClassicEdgeFactory : public EdgeFactory {
public:
    // The source is not owned. A sample count of 0 chooses the count from the
    // edge's length and the spacing.
    ClassicEdgeFactory(TAVO::RandomSource* random, float scale, std::uint32_t sampleCount, float sampleSpacing);

    std::unique_ptr<Edge>& create(std::unique_ptr<Edge>& out, const TAVO::Point<2, float>& from,
                                  const TAVO::Point<2, float>& to) override;

    // The number of curve samples of an edge of the given length: a fixed
    // count + 1 (at most 128), or ceil(length * 1.5 / spacing) + 1 within [2, 128].
    std::uint32_t samplesFor(float length) const;

    // The most samples an edge gets.
    static constexpr std::uint32_t maximumSamples = 128;

private:
    TAVO::RandomSource* random_;
    float scale_;
    std::uint32_t sampleCount_;
    float sampleSpacing_;
};
