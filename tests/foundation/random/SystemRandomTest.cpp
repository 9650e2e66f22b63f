#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/random/SystemRandom.h"
#include "foundation/streams/ArrayBuffer.h"

using namespace TAVO;

namespace {

ArrayBuffer<4> seedBuffer(std::uint32_t seed) {
    ArrayBuffer<4> buffer;
    std::memcpy(buffer.data(), &seed, 4);
    return buffer;
}

} // namespace

TEST(SystemRandom, FollowsTheRuntimeGenerator) {
    SystemRandom source;
    EXPECT_EQ(source.limit(), static_cast<std::uint32_t>(RAND_MAX));
    source.seed(seedBuffer(1234));
    std::uint32_t words[5];
    source.readWords(words, 5);
    std::srand(1234);
    for (std::uint32_t word : words)
        EXPECT_EQ(word, static_cast<std::uint32_t>(std::rand()));
}

TEST(SystemRandom, ChoicesScaleIn64Bits) {
    SystemRandom source;
    source.seed(seedBuffer(99));
    std::uint32_t choices[1000];
    source.readChoices(choices, 1000, 4000000000u);
    std::srand(99);
    for (std::uint32_t choice : choices) {
        const std::uint64_t expected =
            static_cast<std::uint64_t>(std::rand()) * 4000000000ull / (static_cast<std::uint64_t>(RAND_MAX) + 1);
        ASSERT_EQ(choice, expected);
        ASSERT_LT(choice, 4000000000u);
    }
}

TEST(SystemRandom, FillsStayInRange) {
    SystemRandom source;
    source.seed(seedBuffer(5));
    unsigned char bytes[500];
    source.readBytes(bytes, 500, 10);
    for (unsigned char byte : bytes)
        ASSERT_LT(byte, 10);
    float floats[500];
    source.readFloat(floats, 500, 2.0f);
    for (float value : floats) {
        ASSERT_GE(value, 0.0f);
        ASSERT_LE(value, 2.0f);
    }
    std::uint32_t choice;
    EXPECT_THROW(source.readChoices(&choice, 1, 0), UnexpectedValueException);
}
