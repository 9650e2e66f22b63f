#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <sstream>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/TextReader.h"
#include "foundation/text/TextWrapper.h"
#include "foundation/text/TextWriter.h"

using namespace TAVO;

namespace {

struct Output {
    IncrementalBuffer buffer;
    BufferStream stream{buffer};
    TextWriter writer{stream};
    std::string text() const { return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()); }
};

class FlushCounter : public WriteStream {
public:
    void write(const void*, std::uint64_t) override {}
    void flush() override { ++flushes; }
    int flushes = 0;
};

struct Input {
    explicit Input(const std::string& text) : bytes(text), buffer(bytes.data(), std::uint32_t(bytes.size())) {}
    std::string bytes;
    BorrowConstBuffer buffer;
    ConstBufferStream stream{buffer};
};

} // namespace

// Writer -------------------------------------------------------------------------

TEST(TextWriter, NumbersAsDefaultStream) {
    Output out;
    out.writer << 1 << ' ' << -2 << ' ' << 3u << ' ' << LLONG_MIN << ' ' << ULLONG_MAX << ' ' << 0.25f << ' '
               << 1000000.0 << ' ' << 1.0 / 3 << ' ' << FLT_MAX << ' ' << 12345678L << ' ' << 7UL;
    std::ostringstream expected;
    expected << 1 << ' ' << -2 << ' ' << 3u << ' ' << LLONG_MIN << ' ' << ULLONG_MAX << ' ' << 0.25f << ' '
             << 1000000.0 << ' ' << 1.0 / 3 << ' ' << FLT_MAX << ' ' << 12345678L << ' ' << 7UL;
    EXPECT_EQ(out.text(), expected.str());
    EXPECT_EQ(out.text().substr(out.text().find("0.25")), "0.25 1e+06 0.333333 3.40282e+38 12345678 7");
}

TEST(TextWriter, TextsAndSpecials) {
    Output out;
    out.writer << std::string("a\0b", 3) << "c" << TextWriter::Tab << TextWriter::LineEnd;
    out.writer.setLineEnd(TextWriter::CRLF);
    out.writer << "d" << TextWriter::LineEnd;
    out.writer.setLineEnd(TextWriter::CR);
    out.writer << TextWriter::LineEnd;
    out.writer.setLineEnd(7);
    out.writer << TextWriter::LineEnd;
    EXPECT_EQ(out.text(), std::string("a\0bc\t\nd\r\n\r\n", 11));
}

TEST(TextWriter, FlushReachesTheStreamAndUnknownSpecialThrows) {
    FlushCounter stream;
    TextWriter writer(stream);
    writer << TextWriter::Flush << TextWriter::Flush;
    EXPECT_EQ(stream.flushes, 2);
    try {
        writer << TextWriter::Special(3);
        FAIL();
    } catch (const UnexpectedValueException& e) {
        EXPECT_EQ(e.message(), "3 is not a known special text sequence. ");
    }
}

// Wrapper ------------------------------------------------------------------------

TEST(TextWrapper, WordsMoveToTheNextIndentedLine) {
    Output out;
    TextWrapper wrapper(out.writer, "  ", 10, 0);
    wrapper.writeWords("aaa bbb ccc");
    EXPECT_EQ(out.text(), "  aaa bbb \n  ccc ");
    EXPECT_EQ(wrapper.column(), 6u);
}

TEST(TextWrapper, LongWordIsCutAtTheWidth) {
    Output out;
    TextWrapper wrapper(out.writer, "  ", 10, 4);
    wrapper.write("abcdefghijklmnopq");
    // Indent from column 4 is already used: six characters fit on the first line.
    EXPECT_EQ(out.text(), "abcdef\n  ghijklmn\n  opq");
    for (const std::string& line : {std::string("abcdef"), std::string("  ghijklmn")})
        EXPECT_LE(line.size(), 10u);
}

TEST(TextWrapper, BlanksMakeEmptyPieces) {
    Output out;
    TextWrapper wrapper(out.writer, "", 80, 0);
    wrapper.writeWords("a  b ");
    EXPECT_EQ(out.text(), "a  b  ");
}

TEST(TextWrapper, WidthNotAboveIndentIsRefused) {
    Output out;
    EXPECT_THROW(TextWrapper(out.writer, "    ", 4, 0), BoundException<unsigned int>);
    EXPECT_THROW(TextWrapper(out.writer, "", 0, 0), BoundException<unsigned int>);
    TextWrapper narrow(out.writer, "", 1, 0);
    narrow.write("abc");
    EXPECT_EQ(out.text(), "a\nb\nc");
}

// Reader -------------------------------------------------------------------------

TEST(TextReader, TokensBetweenDelimiters) {
    Input in(std::string("  one\ttwo\r\n\0three   last", 24));
    TextReader reader(in.stream);
    std::string a, b, c, d;
    reader >> a >> b >> c >> d;
    EXPECT_EQ(a, "one");
    EXPECT_EQ(b, "two");
    EXPECT_EQ(c, "three");
    EXPECT_EQ(d, "last");
    EXPECT_THROW(reader >> a, StreamException);
}

TEST(TextReader, NumbersNeedWholeTokens) {
    Input in("12 -3 0.5 2.5e3 7x");
    TextReader reader(in.stream);
    unsigned int u = 0;
    int i = 0;
    float f = 0;
    double d = 0;
    reader >> u >> i >> f >> d;
    EXPECT_EQ(u, 12u);
    EXPECT_EQ(i, -3);
    EXPECT_EQ(f, 0.5f);
    EXPECT_EQ(d, 2500.0);
    try {
        reader >> i;
        FAIL();
    } catch (const Text::ConversionException& e) {
        EXPECT_EQ(e.message(), "Failed to convert \"7x\" to int.");
    }
}

TEST(TextReader, EmptyOrBlankStreamFails) {
    Input empty("");
    TextReader reader(empty.stream);
    std::string token;
    EXPECT_THROW(reader >> token, StreamException);
    Input blank(" \n ");
    TextReader blankReader(blank.stream);
    EXPECT_THROW(blankReader >> token, StreamException);
}

TEST(TextReader, ReadUntilStopsAtAnyTerminator) {
    Input in("key=value;rest");
    IncrementalBuffer buffer;
    const char terminators[] = ";=";
    const char* found = TextReader::readUntil(in.stream, buffer, terminators, 2);
    EXPECT_EQ(found, terminators + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), "key=");
    found = TextReader::readUntil(in.stream, buffer, terminators, 2);
    EXPECT_EQ(found, terminators);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), "value;");
    EXPECT_THROW(TextReader::readUntil(in.stream, buffer, terminators, 2), StreamException);
    EXPECT_THROW(TextReader::readUntil(in.stream, buffer, terminators, 0), UnexpectedValueException);
}
