#include "foundation/random/MersenneTwister.h"

#include "foundation/random/SeedFromClock.h"

namespace TAVO {

namespace {

constexpr std::uint32_t magnitude(std::uint32_t y) { return (y & 1u) ? 0x9908B0DFu : 0u; }
constexpr std::uint32_t join(std::uint32_t high, std::uint32_t low) {
    return (high & 0x80000000u) | (low & 0x7FFFFFFFu);
}

} // namespace

MersenneTwister::MersenneTwister() : RandomSource(0xFFFFFFFFu) {
    seedFromClock(*this);
}

void MersenneTwister::seed(const Buffer& buffer) {
    mt_[0] = seedWord(buffer);
    for (std::uint32_t i = 1; i < stateSize; ++i)
        mt_[i] = ((mt_[i - 1] ^ (mt_[i - 1] >> 30)) + i) * 1812433253u;
    index_ = stateSize;
}

void MersenneTwister::refresh() {
    // k = 0 takes the old mt[623]; k = 1 to 226 the value just computed at k - 1.
    std::uint32_t y = join(mt_[0], mt_[1]);
    mt_[0] = mt_[623] ^ (y >> 1) ^ magnitude(y);
    for (std::uint32_t k = 1; k <= 226; ++k) {
        y = join(mt_[k], mt_[k + 1]);
        mt_[k] = mt_[k - 1] ^ (y >> 1) ^ magnitude(y);
    }
    for (std::uint32_t k = 227; k <= 622; ++k) {
        y = join(mt_[k], mt_[k + 1]);
        mt_[k] = mt_[k - 227] ^ (y >> 1) ^ magnitude(y);
    }
    y = join(mt_[623], mt_[0]);
    mt_[623] = mt_[396] ^ (y >> 1) ^ magnitude(y);
}

std::uint32_t MersenneTwister::draw() {
    if (index_ >= stateSize) {
        refresh();
        index_ = 0;
    }
    std::uint32_t y = mt_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

void MersenneTwister::readDouble(double* out, std::uint32_t count, double scale) {
    const double limit = static_cast<double>(limit_);
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<double>(draw()) * scale / limit;
}

void MersenneTwister::readFloat(float* out, std::uint32_t count, float scale) {
    const float limit = static_cast<float>(limit_);
    for (std::uint32_t i = 0; i < count; ++i) {
        const float product = static_cast<float>(draw()) * scale;
        out[i] = product / limit;
    }
}

void MersenneTwister::readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) {
    checkModulus(modulus);
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<unsigned char>(draw() % std::uint32_t(modulus));
}

void MersenneTwister::readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) {
    checkModulus(modulus);
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = draw() % modulus;
}

void MersenneTwister::readWords(std::uint32_t* out, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = draw();
}

} // namespace TAVO
