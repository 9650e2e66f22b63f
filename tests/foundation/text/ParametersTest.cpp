#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/ParameterSaveException.h"
#include "foundation/text/Parameters.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;

namespace {

const ParameterParser& parser() {
    static const ParameterParser instance;
    return instance;
}

void load(const std::string& text, Parameters& target, bool merge = false) {
    BorrowConstBuffer buffer(text.data(), std::uint32_t(text.size()));
    ConstBufferStream stream(buffer);
    parser().load(stream, target, merge);
}

Parameters loaded(const std::string& text) {
    Parameters parameters;
    load(text, parameters);
    return parameters;
}

std::string saved(const Parameters& parameters) {
    IncrementalBuffer buffer;
    BufferStream stream(buffer);
    parser().save(stream, parameters);
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

std::string hex(const std::string& bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes)
        out << std::hex << std::setw(2) << std::setfill('0') << int(c);
    return out.str();
}

} // namespace

// The store ----------------------------------------------------------------------

TEST(Parameters, SetGetHas) {
    Parameters p;
    EXPECT_FALSE(p.has("a"));
    p.set("a", "1");
    p.set("a", std::string("2"));
    EXPECT_EQ(p.get("a"), "2");
    EXPECT_TRUE(p.has("a"));
    try {
        p.get("missing");
        FAIL();
    } catch (const NotFoundException<std::string>& e) {
        EXPECT_EQ(e.key(), "missing");
        EXPECT_EQ(e.searched().rfind("std::map<", 0), 0u) << e.searched();
    }
    EXPECT_THROW(p.getUnsigned("missing"), NotFoundException<std::string>);
    EXPECT_THROW(isParameterTrue(p, "missing"), NotFoundException<std::string>);
}

TEST(Parameters, TypedSettersWriteDefaultStreamText) {
    Parameters p;
    p.set("int", -5);
    p.set("i64", -9000000000LL);
    p.set("u64", 18446744073709551615ULL);
    p.set("u64t", std::uint64_t(1) << 40);
    p.set("quarter", 0.25f);
    p.set("million", 1000000.0f);
    p.set("third", 1.0f / 3);
    EXPECT_EQ(p.get("int"), "-5");
    EXPECT_EQ(p.get("i64"), "-9000000000");
    EXPECT_EQ(p.get("u64"), "18446744073709551615");
    EXPECT_EQ(p.get("u64t"), "1099511627776");
    EXPECT_EQ(p.get("quarter"), "0.25");
    EXPECT_EQ(p.get("million"), "1e+06");
    EXPECT_EQ(p.get("third"), "0.333333");
}

TEST(Parameters, TypedReadersNeedWholeNumbers) {
    Parameters p;
    p.set("a", "16");
    p.set("b", " 16");
    p.set("c", "16 ");
    p.set("d", "");
    p.set("e", "-16");
    p.set("f", "0.1");
    p.set("g", "0.1x");
    p.set("h", "-9000000000");
    EXPECT_EQ(p.getUnsigned("a"), 16u);
    EXPECT_EQ(p.getUnsigned("b"), 16u);
    EXPECT_THROW(p.getUnsigned("c"), Text::ConversionException);
    EXPECT_THROW(p.getUnsigned("d"), Text::ConversionException);
    EXPECT_THROW(p.getUnsigned("e"), Text::ConversionException);
    EXPECT_FLOAT_EQ(p.getFloat("f"), 0.1f);
    try {
        p.getFloat("g");
        FAIL();
    } catch (const Text::ConversionException& e) {
        EXPECT_EQ(e.message(), "Failed to convert \"0.1x\" to float.");
    }
    EXPECT_EQ(p.getInt64("h"), -9000000000LL);
    EXPECT_THROW(p.getInt64("f"), Text::ConversionException);
}

TEST(Parameters, OnlyExactTrueIsTrue) {
    Parameters p;
    const char* values[] = {"true", "TRUE", "True", "yes", "1", "true ", " true"};
    for (const char* v : values)
        p.set(v, v);
    EXPECT_TRUE(isParameterTrue(p, "true"));
    for (std::size_t i = 1; i < std::size(values); ++i)
        EXPECT_FALSE(isParameterTrue(p, values[i])) << values[i];
}

TEST(Parameters, SerializesAsStringMap) {
    Parameters p;
    p.set("b", "2");
    p.set("a", "1");
    IncrementalBuffer buffer;
    BufferStream out(buffer);
    Serialization::serialize(p, out);
    // Count 2, keys "a" "b", values "1" "2"; strings as 32-bit length and bytes.
    const std::string expected("\x02\0\0\0\x01\0\0\0a\x01\0\0\0b\x01\0\0\0" "1\x01\0\0\0" "2", 24);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), expected);
    Parameters back;
    back.set("stale", "x");
    ConstBufferStream in(buffer);
    Serialization::deserialize(in, back);
    EXPECT_EQ(back.map(), p.map());
}

// The parameter file ----------------------------------------------------------------

TEST(ParameterFile, StatementForms) {
    const Parameters p = loaded("a=b=c\n  my key = v\nwidth = 800  # pixels\nempty=\nnote = # note\n"
                                "# only a comment\n\n \t \n");
    EXPECT_EQ(p.map().size(), 5u);
    EXPECT_EQ(p.get("a"), "b=c");
    EXPECT_EQ(p.get("my key"), "v");
    EXPECT_EQ(p.get("width"), "800");
    EXPECT_EQ(p.get("empty"), "");
    EXPECT_EQ(p.get("note"), "");
}

TEST(ParameterFile, InvalidLinesThrowAndKeepEarlierLines) {
    for (const char* line : {"=5", "abc", "a#b=c"}) {
        Parameters p;
        p.set("default", "d");
        try {
            load(std::string("first=1\n") + line + "\nlast=2\n", p, true);
            ADD_FAILURE() << line;
        } catch (const ParameterLoadException& e) {
            EXPECT_EQ(e.message(), std::string(line) + " is not a valid parameter statement. ");
        }
        EXPECT_EQ(p.get("first"), "1");
        EXPECT_EQ(p.get("default"), "d");
        EXPECT_FALSE(p.has("last"));
    }
}

TEST(ParameterFile, LineEndsLoadAlike) {
    const std::string forms[] = {"a=1\r\nb=2\r\n", "a=1\nb=2\n", "a=1\rb=2\r", "a=1\nb=2", "\r\n\na=1\r\r\nb=2"};
    for (const std::string& form : forms) {
        const Parameters p = loaded(form);
        EXPECT_EQ(p.map().size(), 2u) << hex(form);
        EXPECT_EQ(p.get("a"), "1") << hex(form);
        EXPECT_EQ(p.get("b"), "2") << hex(form);
    }
    EXPECT_TRUE(loaded("").map().empty());
}

TEST(ParameterFile, LastDuplicateWinsAndMergeKeepsOthers) {
    EXPECT_EQ(loaded("size=1\nsize=2\n").get("size"), "2");
    Parameters p;
    p.set("default", "d");
    p.set("size", "0");
    load("size=3\n", p, true);
    EXPECT_EQ(p.get("default"), "d");
    EXPECT_EQ(p.get("size"), "3");
    load("other=4\n", p, false);
    EXPECT_EQ(p.map().size(), 1u);
    EXPECT_EQ(p.get("other"), "4");
}

TEST(ParameterFile, SaveWritesSortedLinesThatLoadBack) {
    Parameters p;
    p.set("b", "2");
    p.set("a", "1");
    p.set("window width", "800");
    EXPECT_EQ(saved(p), "a=1\nb=2\nwindow width=800\n");
    EXPECT_EQ(loaded(saved(p)).map(), p.map());
    EXPECT_EQ(saved(Parameters()), "");
}

TEST(ParameterFile, FilesOnDisk) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    Parameters defaults;
    defaults.set("developer_mode", "false");
    defaults.set("width", 1024);
    EXPECT_THROW(parser().load(path, defaults, true), StreamException);
    parser().save(path, defaults);
    std::ifstream(path, std::ios::binary).peek();
    {
        std::ofstream file(path, std::ios::binary | std::ios::app);
        file << "width = 640\r\ndeveloper_mode=true";
    }
    Parameters p;
    p.set("lighting", "on");
    parser().load(path, p, true);
    EXPECT_EQ(p.get("lighting"), "on");
    EXPECT_EQ(p.getUnsigned("width"), 640u);
    EXPECT_TRUE(isParameterTrue(p, "developer_mode"));
    // Saving truncates.
    Parameters small;
    small.set("k", "v");
    parser().save(path, small);
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "k=v\n");
    EXPECT_THROW(parser().save(folder.file("missing/x.txt"), small), StreamException);
}

TEST(ParameterFile, SaveRefusesEntriesThatWouldNotLoadBackAndWritesNothing) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"a=b", "1"},     {"a#b", "1"},     {"a\nb", "1"},   {"a\rb", "1"}, {" a", "1"},
        {"a ", "1"},      {"\ta", "1"},     {std::string("a\0", 2), "1"}, {"", "1"},
        {"k", "x#y"},     {"k", "x\ny"},    {"k", "x\r"},    {"k", " x"},   {"k", "x "},
        {"k", "\tx"},     {"k", std::string("x\0", 2)},
    };
    for (const auto& [key, value] : refused) {
        Parameters p;
        p.set("a good key", "a good value");
        p.set(key, value);
        IncrementalBuffer buffer;
        BufferStream stream(buffer);
        EXPECT_THROW(parser().save(stream, p), ParameterSaveException) << hex(key) << " " << hex(value);
        EXPECT_EQ(buffer.size(), 0u) << hex(key) << " " << hex(value);
    }
    // Inner blanks, zero bytes and '=' in a value are kept as they are.
    Parameters kept;
    kept.set("my key", "a = b");
    kept.set(std::string("z\0z", 3), std::string("v\0v", 3));
    kept.set("empty", "");
    EXPECT_EQ(loaded(saved(kept)).map(), kept.map());
}

TEST(ParameterFile, TheRefusalNamesTheEntryAndTheReason) {
    Parameters p;
    p.set("title", "one\ntwo");
    try {
        saved(p);
        FAIL() << "saved";
    } catch (const ParameterSaveException& e) {
        EXPECT_EQ(e.text(), "The parameter \"title\" with the value \"one\\ntwo\" cannot be saved: the value holds a "
                            "line break. ");
    }
}

TEST(ParameterFile, ARefusedSaveLeavesTheFileAsItWas) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    Parameters good;
    good.set("width", 800);
    parser().save(path, good);
    Parameters bad = good;
    bad.set("note", "see #4");
    EXPECT_THROW(parser().save(path, bad), ParameterSaveException);
    Parameters back;
    parser().load(path, back, false);
    EXPECT_EQ(back.map(), good.map());
}

// Random stores over an alphabet of the characters the format treats
// specially: whatever save accepts loads back exactly.
TEST(ParameterFile, WhatSaveAcceptsLoadsBackUnchanged) {
    std::mt19937 random(24);
    const std::string alphabet = std::string("aabbccdd =#\t\r\n", 15) + std::string(1, '\0');
    const auto text = [&](std::size_t longest) {
        std::string t;
        const std::size_t length = random() % (longest + 1);
        for (std::size_t i = 0; i < length; ++i)
            t += alphabet[random() % alphabet.size()];
        return t;
    };
    int accepted = 0;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Parameters p;
        const std::size_t entries = 1 + random() % 2;
        for (std::size_t i = 0; i < entries; ++i)
            p.set(text(5), text(5));
        std::string written;
        try {
            written = saved(p);
        } catch (const ParameterSaveException&) {
            ++refused;
            continue;
        }
        ++accepted;
        Parameters back;
        EXPECT_NO_THROW(load(written, back)) << hex(written);
        EXPECT_EQ(back.map(), p.map()) << hex(written);
    }
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
}

TEST(ParameterFile, HostileContentEndsCleanly) {
    // Long lines, zero bytes and stray separators: either parsed or a load exception.
    std::string text(200000, 'k');
    text += "=";
    text += std::string(1000, '\0');
    text += "\n#\0\0\n";
    const Parameters p = loaded(text);
    EXPECT_EQ(p.get(std::string(200000, 'k')), "");
    EXPECT_THROW(loaded(std::string("\0\0=\0", 4) + "#\n" + std::string(5000, '=')), ParameterLoadException);
}

// Each random line of letters, blanks, tabs, '=', '#' and zero bytes is
// parsed alone and compared with Python's re.fullmatch of the same grammar.
TEST(ParameterFile, LineGrammarAgreesWithPythonRe) {
    if (!KestruneTest::Command::available("python3"))
        GTEST_SKIP() << "python3 is not available";
    std::mt19937 random(31337);
    const std::string alphabet = std::string("ab \t=#", 6) + std::string(1, '\0');
    std::vector<std::string> lines;
    std::ostringstream ours;
    for (int i = 0; i < 4000; ++i) {
        std::string line;
        for (std::uint32_t n = random() % 12; n > 0; --n)
            line += alphabet[random() % alphabet.size()];
        lines.push_back(line);
        try {
            const Parameters p = loaded(line);
            if (p.map().empty())
                ours << "none\n";
            else
                ours << "set " << hex(p.map().begin()->first) << " " << hex(p.map().begin()->second) << "\n";
        } catch (const ParameterLoadException&) {
            ours << "invalid\n";
        }
    }
    std::ostringstream program;
    program << "import re\n"
               "blank = ' \\t\\n\\r\\x00'\n"
               "statement = re.compile(r'[ \\t\\n\\r\\x00]*(?:([^=#]+)=([^#]*))?(?:#.*)?', re.DOTALL)\n"
               "for h in [\n";
    for (const std::string& line : lines)
        program << "'" << hex(line) << "',\n";
    program << "]:\n"
               "    line = bytes.fromhex(h).decode('latin-1')\n"
               "    m = statement.fullmatch(line)\n"
               "    if not m:\n"
               "        print('invalid')\n"
               "    elif m.group(1) is None:\n"
               "        print('none')\n"
               "    else:\n"
               "        k = m.group(1).strip(blank).encode('latin-1').hex()\n"
               "        v = m.group(2).strip(blank).encode('latin-1').hex()\n"
               "        print('set', k, v)\n";
    const auto result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream expected(result.output), actual(ours.str());
    std::string e, a;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::getline(expected, e);
        std::getline(actual, a);
        EXPECT_EQ(a, e) << "line " << hex(lines[i]);
    }
}

// Whole random files with every line-end form give the same store as
// splitting the text at line breaks and parsing each line alone.
TEST(ParameterFile, RandomFilesMatchLineByLineParsing) {
    std::mt19937 random(99);
    const char* breaks[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 300; ++round) {
        std::string file;
        Parameters expected;
        for (std::uint32_t n = random() % 6; n > 0; --n) {
            const std::string key = "k" + std::to_string(random() % 4);
            const std::string value = std::to_string(random() % 100);
            file += (random() % 2 ? " " : "") + key + (random() % 2 ? " = " : "=") + value;
            file += random() % 3 == 0 ? " # c" : "";
            expected.set(key, value);
            file += breaks[random() % 3];
            if (random() % 4 == 0)
                file += breaks[random() % 3];
        }
        if (!file.empty() && random() % 2)
            file.pop_back();
        EXPECT_EQ(loaded(file).map(), expected.map()) << hex(file);
    }
}
