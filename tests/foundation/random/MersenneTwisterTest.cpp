#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/ArrayBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"

using namespace TAVO;

namespace {

ArrayBuffer<4> seedBuffer(std::uint32_t seed) {
    ArrayBuffer<4> buffer;
    std::memcpy(buffer.data(), &seed, 4);
    return buffer;
}

MersenneTwister seeded(std::uint32_t seed) {
    MersenneTwister twister;
    twister.seed(seedBuffer(seed));
    return twister;
}

// A second implementation of the generator, written from its description:
// index-based seeding with i added before the multiplication, and a refresh
// whose first 227 entries take their partner from the entry just written.
class ReferenceTwister {
public:
    explicit ReferenceTwister(std::uint32_t seed) {
        state[0] = seed;
        for (std::uint32_t i = 1; i < 624; ++i) {
            std::uint64_t value = (state[i - 1] ^ (state[i - 1] >> 30));
            value = (value + i) % 4294967296ull;
            state[i] = static_cast<std::uint32_t>((value * 1812433253ull) % 4294967296ull);
        }
    }

    std::uint32_t next() {
        if (position == 624) {
            std::uint32_t old623 = state[623];
            for (int k = 0; k < 624; ++k) {
                const std::uint32_t following = state[(k + 1) % 624];
                const std::uint32_t y = (state[k] & 0x80000000u) | (following & 0x7FFFFFFFu);
                std::uint32_t partner;
                if (k == 0)
                    partner = old623;
                else if (k <= 226)
                    partner = state[k - 1];
                else
                    partner = state[k - 227];
                state[k] = partner ^ (y >> 1) ^ ((y % 2) * 0x9908B0DFu);
            }
            position = 0;
        }
        std::uint32_t y = state[position++];
        y = y ^ (y >> 11);
        y = y ^ ((y << 7) & 0x9D2C5680u);
        y = y ^ ((y << 15) & 0xEFC60000u);
        y = y ^ (y >> 18);
        return y;
    }

private:
    std::uint32_t state[624];
    int position = 624;
};

} // namespace

TEST(MersenneTwister, WorkedValuesForSeedOne) {
    MersenneTwister twister = seeded(1);
    std::uint32_t words[3];
    twister.readWords(words, 3);
    EXPECT_EQ(words[0], 2229604582u);
    EXPECT_EQ(words[1], 2824516715u);
    EXPECT_EQ(words[2], 1840655487u);
}

TEST(MersenneTwister, WorkedValuesForSeedZero) {
    MersenneTwister twister = seeded(0);
    std::uint32_t words[3];
    twister.readWords(words, 3);
    EXPECT_EQ(words[0], 2153792056u);
    EXPECT_EQ(words[1], 2301239769u);
    EXPECT_EQ(words[2], 369430655u);
}

TEST(MersenneTwister, DiffersFromThePublishedGenerator) {
    // The published generator's first value for seed 1 is 1791095845.
    EXPECT_NE(seeded(1).draw(), 1791095845u);
}

TEST(MersenneTwister, LongRunsMatchAnIndependentImplementation) {
    for (std::uint32_t seed : {0u, 1u, 5489u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        MersenneTwister twister = seeded(seed);
        ReferenceTwister reference(seed);
        std::vector<std::uint32_t> words(624 * 4 + 17);
        twister.readWords(words.data(), static_cast<std::uint32_t>(words.size()));
        for (std::size_t i = 0; i < words.size(); ++i)
            ASSERT_EQ(words[i], reference.next()) << "seed " << seed << " draw " << i;
    }
}

TEST(MersenneTwister, FloatsAreSinglePrecisionWithMultiplicationFirst) {
    MersenneTwister twister = seeded(1);
    float value;
    twister.readFloat(&value, 1, 1.0f);
    EXPECT_EQ(value, 2229604608.0f / 4294967296.0f);
    EXPECT_FLOAT_EQ(value, 0.5191203f);

    MersenneTwister a = seeded(77), b = seeded(77);
    for (int i = 0; i < 2000; ++i) {
        float scaled;
        a.readFloat(&scaled, 1, 3.7f);
        const float expected = static_cast<float>(b.draw()) * 3.7f / 4294967296.0f;
        ASSERT_EQ(scaled, expected);
        ASSERT_GE(scaled, 0.0f);
        ASSERT_LE(scaled, 3.7f);
    }
}

TEST(MersenneTwister, DoublesDivideByTheLimit) {
    MersenneTwister a = seeded(9), b = seeded(9);
    for (int i = 0; i < 1000; ++i) {
        double value;
        a.readDouble(&value, 1, 2.5);
        ASSERT_EQ(value, static_cast<double>(b.draw()) * 2.5 / 4294967295.0);
    }
}

TEST(MersenneTwister, ChoicesAndBytesTakeTheRemainder) {
    MersenneTwister twister = seeded(1);
    std::uint32_t choices[8];
    twister.readChoices(choices, 8, 2);
    const std::uint32_t expected[8] = {0, 1, 1, 1, 1, 0, 1, 1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(choices[i], expected[i]);

    MersenneTwister a = seeded(3), b = seeded(3);
    unsigned char bytes[700];
    a.readBytes(bytes, 700, 7);
    for (unsigned char byte : bytes)
        ASSERT_EQ(byte, b.draw() % 7);
}

TEST(MersenneTwister, ZeroModulusThrowsInsteadOfDividing) {
    MersenneTwister twister = seeded(1);
    std::uint32_t choice = 0;
    unsigned char byte = 0;
    EXPECT_THROW(twister.readChoices(&choice, 1, 0), UnexpectedValueException);
    EXPECT_THROW(twister.readBytes(&byte, 1, 0), UnexpectedValueException);
}

TEST(MersenneTwister, StreamReadsGiveBytesBelow255) {
    MersenneTwister a = seeded(11), b = seeded(11);
    std::vector<unsigned char> bytes(5000);
    a.read(bytes.data(), bytes.size());
    for (unsigned char byte : bytes)
        ASSERT_EQ(byte, b.draw() % 255);
    EXPECT_FALSE(a.atEnd());
}

TEST(MersenneTwister, StreamReadsAboveFourGigabytesThrowBeforeDrawing) {
    MersenneTwister twister = seeded(1);
    unsigned char byte;
    try {
        twister.read(&byte, 0x100000000ull);
        FAIL();
    } catch (const BoundException<unsigned long long>& e) {
        EXPECT_EQ(e.value(), 0x100000000ull);
        EXPECT_EQ(e.bound(), 0xFFFFFFFFull);
    }
    EXPECT_EQ(twister.draw(), 2229604582u);
}

TEST(MersenneTwister, SeedWordXorsLittleEndianWords) {
    IncrementalBuffer five;
    const unsigned char bytes[5] = {0x01, 0x02, 0x03, 0x04, 0xF0};
    five.assign(bytes, 5);
    EXPECT_EQ(RandomSource::seedWord(five), 0x040302F1u);
    EXPECT_EQ(RandomSource::seedWord(IncrementalBuffer()), 0u);

    MersenneTwister fromFive;
    fromFive.seed(five);
    EXPECT_EQ(fromFive.draw(), seeded(0x040302F1u).draw());
}

TEST(MersenneTwister, SeedingAgainRestartsTheSequence) {
    MersenneTwister twister = seeded(42);
    std::uint32_t first[700], second[700];
    twister.readWords(first, 700);
    twister.seed(seedBuffer(42));
    twister.readWords(second, 700);
    EXPECT_EQ(0, std::memcmp(first, second, sizeof first));
}

TEST(MersenneTwister, ZeroCountDrawsNothing) {
    MersenneTwister twister = seeded(1);
    twister.readWords(nullptr, 0);
    twister.readFloat(nullptr, 0, 1.0f);
    EXPECT_EQ(twister.draw(), 2229604582u);
}

TEST(MersenneTwister, DefaultConstructionSeedsFromTheClock) {
    MersenneTwister twister;
    EXPECT_EQ(twister.limit(), 0xFFFFFFFFu);
    twister.draw(); // usable without a seed of the caller's
}
