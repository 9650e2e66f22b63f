#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "foundation/streams/CRC32.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "support/Command.h"

using namespace TAVO;

TEST(CRC32, CheckValueAndEmptyInput) {
    EXPECT_EQ(CRC32::of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(CRC32::of("", 0), 0u);
    CRC32 crc;
    crc.reset(0x12345678u);
    IncrementalBuffer empty;
    crc.update(empty);
    EXPECT_EQ(crc.value(), 0x12345678u);
}

TEST(CRC32, PiecewiseUpdatesEqualOneUpdate) {
    std::mt19937 random(7);
    std::string data(1000, 0);
    for (char& c : data)
        c = char(random());
    CRC32 crc;
    crc.reset(0xFFFFFFFFu);
    IncrementalBuffer a, b;
    a.assign(data.data(), 333);
    b.assign(data.data() + 333, 667);
    crc.update(a);
    crc.update(b);
    EXPECT_EQ(~crc.value(), CRC32::of(data.data(), data.size()));
}

TEST(CRC32, AgreesWithZlib) {
    const auto result = KestruneTest::Command::python(
        "import zlib\n"
        "for n in (1, 7, 64, 1000, 65537):\n"
        "    data = bytes((i * 131 + n) & 0xFF for i in range(n))\n"
        "    print(zlib.crc32(data))\n");
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.output);
    for (std::uint32_t n : {1u, 7u, 64u, 1000u, 65537u}) {
        std::string data(n, 0);
        for (std::uint32_t i = 0; i < n; ++i)
            data[i] = char((i * 131 + n) & 0xFF);
        unsigned long long expected = 0;
        lines >> expected;
        EXPECT_EQ(CRC32::of(data.data(), n), expected) << n;
    }
}
