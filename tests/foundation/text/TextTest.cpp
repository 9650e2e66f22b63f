#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "foundation/text/ConversionException.h"
#include "foundation/text/Text.h"
#include "support/Command.h"

using namespace TAVO;

TEST(TextParseUnsigned, AcceptsOnlyWholeUnsignedNumbers) {
    struct Case {
        const char* text;
        bool ok;
        unsigned int value;
    };
    const Case cases[] = {
        {"5", true, 5},       {" 5", true, 5},       {"\t\n7", true, 7}, {"4294967295", true, 4294967295u},
        {"5 ", false, 0},     {"5a", false, 0},      {"", false, 0},     {"-", false, 0},
        {"-5", false, 0},     {" -5", false, 0},     {"-0", false, 0},   {"4294967296", false, 0},
        {"99999999999999999999", false, 0}, {"0x10", false, 0}, {" ", false, 0},
    };
    for (const Case& c : cases) {
        if (c.ok) {
            EXPECT_EQ(Text::parseUnsigned(c.text), c.value) << '"' << c.text << '"';
        } else {
            try {
                Text::parseUnsigned(c.text);
                ADD_FAILURE() << '"' << c.text << "\" was accepted";
            } catch (const Text::ConversionException& e) {
                EXPECT_EQ(e.message(), std::string("Failed to convert \"") + c.text + "\" to unsigned int.");
            }
        }
    }
}

TEST(TextParse, OtherTypesNeedTheWholeText) {
    EXPECT_EQ(Text::parse<long long>("-9000000000"), -9000000000LL);
    EXPECT_FLOAT_EQ(Text::parse<float>("0.1"), 0.1f);
    EXPECT_THROW(Text::parse<float>("0.1x"), Text::ConversionException);
    EXPECT_THROW(Text::parse<float>("1e99"), Text::ConversionException);
    EXPECT_THROW(Text::parse<int>("2147483648"), Text::ConversionException);
    EXPECT_THROW(Text::parse<unsigned long long>("-1"), Text::ConversionException);
    try {
        Text::parse<double>("x");
        FAIL();
    } catch (const Text::ConversionException& e) {
        EXPECT_EQ(e.message(), "Failed to convert \"x\" to double.");
    }
}

TEST(TextCase, OnlyAsciiLettersChange) {
    std::string text = "Gr\xC3\xBC\xC3\x9F Gott 42 \xFF";
    Text::toUpper(text);
    EXPECT_EQ(text, "GR\xC3\xBC\xC3\x9F GOTT 42 \xFF");
    Text::toLower(text);
    EXPECT_EQ(text, "gr\xC3\xBC\xC3\x9F gott 42 \xFF");
}

TEST(TextNumbers, ToStringAndHexTextAgreeWithPython) {
    if (!KestruneTest::Command::available("python3"))
        GTEST_SKIP() << "python3 is not available";
    std::mt19937 random(5);
    std::vector<std::uint32_t> values = {0, 1, 9, 10, 15, 16, 255, 0xD9, 0x80000000u, 0xFFFFFFFFu};
    for (int i = 0; i < 200; ++i)
        values.push_back(random() >> (random() % 32));
    std::ostringstream program, ours;
    program << "for v in [";
    for (std::uint32_t v : values) {
        program << v << ",";
        ours << Text::toString(v) << " " << Text::hexText(v) << "\n";
    }
    program << "]:\n    print(v, format(v, 'x'))\n";
    const auto result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(ours.str(), result.output);
}
