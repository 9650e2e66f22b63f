#pragma once

#include <cstdint>

#include "foundation/random/RandomSource.h"

namespace TAVO {

// The generator of puzzle cuts. Its sequence for a seed is part of the saved
// games and must not change: the seeding and the first part of the state
// refresh differ from the published MT19937, so the numbers differ too.
class MersenneTwister : public RandomSource {
public:
    static constexpr std::uint32_t stateSize = 624;

    // Seeded from the clock; callers that need a fixed sequence seed it again.
    MersenneTwister();

    // mt[0] = seed word; mt[i] = ((mt[i-1] ^ (mt[i-1] >> 30)) + i) * 1812433253.
    void seed(const Buffer& buffer) override;
    // draw * scale / limit in double precision.
    void readDouble(double* out, std::uint32_t count, double scale) override;
    // float(draw) * scale / float(limit) in single precision, multiplication
    // first; values lie in [0, scale], scale included.
    void readFloat(float* out, std::uint32_t count, float scale) override;
    void readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) override;
    void readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) override;
    void readWords(std::uint32_t* out, std::uint32_t count) override;

    // The next tempered value.
    std::uint32_t draw();

private:
    void refresh();

    std::uint32_t mt_[stateSize] = {};
    std::uint32_t index_ = stateSize;
};

} // namespace TAVO
