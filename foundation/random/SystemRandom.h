#pragma once

#include "foundation/random/RandomSource.h"

namespace TAVO {

// Draws from the runtime's process-wide generator (rand, seeded by srand),
// which every user of it shares. The limit is the generator's largest value.
class SystemRandom : public RandomSource {
public:
    SystemRandom();

    void seed(const Buffer& buffer) override;
    // rand() * scale / (limit + 1.0) in double precision.
    void readDouble(double* out, std::uint32_t count, double scale) override;
    // The same in single precision.
    void readFloat(float* out, std::uint32_t count, float scale) override;
    // (rand() * modulus) / (limit + 1), computed in 64 bits.
    void readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) override;
    void readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) override;
    void readWords(std::uint32_t* out, std::uint32_t count) override;

private:
    std::uint32_t choice(std::uint32_t modulus) const;
};

} // namespace TAVO
