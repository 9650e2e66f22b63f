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

TEST(TextPrintable, EscapesControlBytesAndBrokenUtf8) {
    EXPECT_EQ(Text::printable("window_width=80\x07"), "window_width=80\\x07");
    EXPECT_EQ(Text::printable(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(Text::printable("line\r\nnext\ttab\x1b[31m\x7f"), "line\\r\\nnext\\ttab\\x1b[31m\\x7f");
    // Printable text, the backslash and well-formed UTF-8 stay as they are.
    EXPECT_EQ(Text::printable("C:\\pictures\\caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8c\x84"),
              "C:\\pictures\\caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8c\x84");
    // A lone continuation byte, a truncated character, an overlong form, a
    // UTF-16 surrogate, a code point beyond U+10FFFF and a C1 control.
    EXPECT_EQ(Text::printable("\x80"), "\\x80");
    EXPECT_EQ(Text::printable("caf\xc3"), "caf\\xc3");
    EXPECT_EQ(Text::printable("\xc0\xaf"), "\\xc0\\xaf");
    EXPECT_EQ(Text::printable("\xed\xa0\x80"), "\\xed\\xa0\\x80");
    EXPECT_EQ(Text::printable("\xf4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");
    EXPECT_EQ(Text::printable("\xc2\x85"), "\\xc2\\x85");
    EXPECT_EQ(Text::printable(""), "");
}

TEST(TextPrintable, AgreesWithPythonsUtf8Decoder) {
    if (!KestruneTest::Command::available("python3"))
        GTEST_SKIP() << "python3 is not available";
    // Random byte strings mixing ASCII, control bytes, stray high bytes and
    // characters of every UTF-8 length.
    std::mt19937 random(11);
    std::vector<std::string> texts;
    for (int t = 0; t < 300; ++t) {
        std::string text;
        const int pieces = int(random() % 12);
        for (int p = 0; p < pieces; ++p) {
            switch (random() % 4) {
            case 0: text += char(0x20 + random() % 0x5F); break;
            case 1: text += char(random() % 0x20); break;
            case 2: text += char(random() % 256); break;
            default: {
                std::uint32_t code = random() % 0x110000;
                if (code < 0x80)
                    code += 0x80;
                if (code >= 0xD800 && code < 0xE000)
                    code -= 0x800;
                if (code < 0x800) {
                    text += char(0xC0 | (code >> 6));
                } else if (code < 0x10000) {
                    text += char(0xE0 | (code >> 12));
                    text += char(0x80 | ((code >> 6) & 0x3F));
                } else {
                    text += char(0xF0 | (code >> 18));
                    text += char(0x80 | ((code >> 12) & 0x3F));
                    text += char(0x80 | ((code >> 6) & 0x3F));
                }
                text += char(0x80 | (code & 0x3F));
            }
            }
        }
        texts.push_back(text);
    }
    std::ostringstream program, ours;
    program << "import sys\n"
               "def printable(b):\n"
               "    out, i = [], 0\n"
               "    while i < len(b):\n"
               "        c = b[i]\n"
               "        if 0x20 <= c < 0x7f:\n"
               "            out.append(chr(c)); i += 1; continue\n"
               "        if c >= 0x80:\n"
               "            for n in (2, 3, 4):\n"
               "                try:\n"
               "                    s = b[i:i + n].decode('utf-8')\n"
               "                except UnicodeDecodeError:\n"
               "                    continue\n"
               "                if len(s) == 1 and not 0x80 <= ord(s) <= 0x9f:\n"
               "                    out.append(s); i += n; break\n"
               "            else:\n"
               "                out.append('\\\\x%02x' % c); i += 1\n"
               "            continue\n"
               "        out.append({10: '\\\\n', 13: '\\\\r', 9: '\\\\t'}.get(c, '\\\\x%02x' % c)); i += 1\n"
               "    return ''.join(out)\n"
               "for h in [";
    for (const std::string& text : texts) {
        program << "'";
        for (char c : text) {
            static const char digits[] = "0123456789abcdef";
            program << digits[static_cast<unsigned char>(c) >> 4] << digits[static_cast<unsigned char>(c) & 15];
        }
        program << "',";
        ours << Text::printable(text) << "\n";
    }
    program << "]:\n    sys.stdout.buffer.write(printable(bytes.fromhex(h)).encode('utf-8') + b'\\n')\n";
    const auto result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(ours.str(), result.output);
}
