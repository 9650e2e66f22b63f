#include "foundation/random/SystemRandom.h"

#include <cstdlib>

namespace TAVO {

SystemRandom::SystemRandom() : RandomSource(static_cast<std::uint32_t>(RAND_MAX)) {}

void SystemRandom::seed(const Buffer& buffer) {
    std::srand(seedWord(buffer));
}

std::uint32_t SystemRandom::choice(std::uint32_t modulus) const {
    // In 64 bits: rand() * modulus overflows 32 bits for most moduli.
    const std::uint64_t value = static_cast<std::uint64_t>(std::rand()) * modulus;
    return static_cast<std::uint32_t>(value / (static_cast<std::uint64_t>(limit_) + 1u));
}

void SystemRandom::readDouble(double* out, std::uint32_t count, double scale) {
    const double range = static_cast<double>(limit_) + 1.0;
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<double>(std::rand()) * scale / range;
}

void SystemRandom::readFloat(float* out, std::uint32_t count, float scale) {
    const float range = static_cast<float>(limit_) + 1.0f;
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<float>(std::rand()) * scale / range;
}

void SystemRandom::readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) {
    checkModulus(modulus);
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<unsigned char>(choice(modulus));
}

void SystemRandom::readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) {
    checkModulus(modulus);
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = choice(modulus);
}

void SystemRandom::readWords(std::uint32_t* out, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint32_t>(std::rand());
}

} // namespace TAVO
