#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/CppInStream.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/NullWriteStream.h"
#include "foundation/streams/SizeMeasureWriteStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/StreamPump.h"

using namespace TAVO;

namespace {

IncrementalBuffer bufferOf(const std::string& text) {
    IncrementalBuffer buffer;
    buffer.assign(text.data(), std::uint32_t(text.size()));
    return buffer;
}

std::string textOf(const Buffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

// A stream that does not know its size: only read and atEnd.
class PlainReader : public ReadStream {
public:
    explicit PlainReader(std::string text) : text_(std::move(text)) {}
    void read(void* destination, std::uint64_t count) override {
        if (count > text_.size() - at_)
            throw StreamException(SourceLocation(), "short");
        std::memcpy(destination, text_.data() + at_, count);
        at_ += count;
        reads_++;
    }
    bool atEnd() override { return at_ == text_.size(); }
    std::size_t at_ = 0;
    int reads_ = 0;

private:
    std::string text_;
};

// Records the sizes of the writes it receives.
class WriteLog : public WriteStream {
public:
    void write(const void* source, std::uint64_t count) override {
        writes.push_back(count);
        data.append(static_cast<const char*>(source), count);
    }
    std::vector<std::uint64_t> writes;
    std::string data;
};

} // namespace

TEST(SeekByOrigin, AllOriginsClampWithinTheStream) {
    IncrementalBuffer buffer = bufferOf("0123456789");
    BufferStream stream(buffer);
    stream.seek(4, RandomStream::Begin);
    EXPECT_EQ(stream.tell(), 4u);
    stream.seek(3, RandomStream::BackFromEnd);
    EXPECT_EQ(stream.tell(), 7u);
    stream.seek(30, RandomStream::BackFromEnd);
    EXPECT_EQ(stream.tell(), 0u);
    stream.seek(6, RandomStream::Forward);
    stream.seek(6, RandomStream::Forward);
    EXPECT_EQ(stream.tell(), 10u);
    stream.seek(0xFFFFFFFFFFFFFFFFull, RandomStream::Forward);
    EXPECT_EQ(stream.tell(), 10u);
    stream.seek(4, RandomStream::BackFromCurrent);
    EXPECT_EQ(stream.tell(), 6u);
    stream.seek(40, RandomStream::BackFromCurrent);
    EXPECT_EQ(stream.tell(), 0u);
    stream.seek(5, 9);
    EXPECT_EQ(stream.tell(), 0u);
}

TEST(BufferStream, SeekBeyondTheEndStopsAtTheEnd) {
    IncrementalBuffer buffer = bufferOf("abc");
    BufferStream stream(buffer);
    stream.seek(100);
    EXPECT_EQ(stream.tell(), 3u);
    EXPECT_TRUE(stream.atEnd());
}

TEST(BufferStream, WritingAtTheEndGrowsByExactlyTheBytesWritten) {
    IncrementalBuffer buffer = bufferOf("abc");
    BufferStream stream(buffer);
    stream.seek(1);
    stream.write("XYZW", 4);
    EXPECT_EQ(textOf(buffer), "aXYZW");
    stream.write("!", 1);
    EXPECT_EQ(textOf(buffer), "aXYZW!");
}

TEST(BufferStream, ReadPastTheEndThrowsAndKeepsThePosition) {
    IncrementalBuffer buffer = bufferOf("abcd");
    BufferStream stream(buffer);
    char out[8];
    stream.read(out, 2);
    EXPECT_THROW(stream.read(out, 3), StreamException);
    EXPECT_EQ(stream.tell(), 2u);
    EXPECT_THROW(stream.read(out, 0xFFFFFFFFFFFFFFF0ull), StreamException);
    stream.read(out, 2);
    EXPECT_EQ(std::string(out, 2), "cd");
    EXPECT_TRUE(stream.atEnd());
}

TEST(BufferStream, WriteThatWouldPass4GiBIsRefusedAndChangesNothing) {
    IncrementalBuffer buffer = bufferOf("ab");
    BufferStream stream(buffer);
    stream.seek(2);
    EXPECT_THROW(stream.write("x", 0xFFFFFFFEull), BoundException<unsigned long long>);
    EXPECT_EQ(buffer.size(), 2u);
    EXPECT_EQ(stream.tell(), 2u);
}

TEST(ConstBufferStream, ReadsAndReportsItsEnd) {
    IncrementalBuffer buffer = bufferOf("xy");
    ConstBufferStream stream(buffer);
    EXPECT_EQ(stream.size(), 2u);
    char c;
    stream.read(&c, 1);
    EXPECT_FALSE(stream.atEnd());
    stream.read(&c, 1);
    EXPECT_TRUE(stream.atEnd());
    EXPECT_EQ(stream.remaining(), 0u);
}

TEST(TerminatorSearch, FindsTheTerminatorAfterAFalseStart) {
    IncrementalBuffer buffer = bufferOf("\r\r\nrest");
    ConstBufferStream stream(buffer);
    char out[16];
    EXPECT_EQ(ReadStream::readUntil(stream, out, sizeof out, "\r\n", 2), 3u);
    EXPECT_EQ(stream.tell(), 3u);
}

TEST(TerminatorSearch, StopsAtTheCapacity) {
    IncrementalBuffer buffer = bufferOf("abcdefgh");
    ConstBufferStream stream(buffer);
    char out[5];
    EXPECT_EQ(ReadStream::readUntil(stream, out, 5, "zz", 2), 5u);
    EXPECT_EQ(stream.tell(), 5u);
}

TEST(TerminatorSearch, NeverReadsPastTheTerminator) {
    // Overlapping prefixes: the terminator "aab" inside "aaab".
    PlainReader reader("xaaabTAIL");
    IncrementalBuffer into;
    ReadStream::readUntilIntoBuffer(reader, into, "aab", 3);
    EXPECT_EQ(textOf(into), "xaaab");
    EXPECT_EQ(reader.at_, 5u);
}

TEST(TerminatorSearch, SkipUntilConsumesTheTerminatorOnly) {
    PlainReader reader("header\n\nbody");
    reader.skipUntil("\n\n", 2);
    EXPECT_EQ(reader.at_, 8u);
    PlainReader ring("abababababc!");
    ring.skipUntil("ababc", 5);
    EXPECT_EQ(ring.at_, 11u);
    ring.skipUntil("", 0);
    EXPECT_EQ(ring.at_, 11u);
}

TEST(TerminatorSearch, MissingTerminatorEndsInStreamException) {
    PlainReader reader("no end here");
    IncrementalBuffer into;
    EXPECT_THROW(ReadStream::readUntilIntoBuffer(reader, into, ";", 1), StreamException);
}

TEST(ReadToEnd, ReplacesTheBufferWithTheRest) {
    IncrementalBuffer source = bufferOf("0123456789");
    ConstBufferStream stream(source);
    stream.seek(4);
    IncrementalBuffer into = bufferOf("old content that is longer");
    ReadStream::readToEnd(stream, into);
    EXPECT_EQ(textOf(into), "456789");

    PlainReader plain("abc");
    ReadStream::readToEnd(plain, into);
    EXPECT_EQ(textOf(into), "abc");

    PlainReader empty("");
    ReadStream::readToEnd(empty, into);
    EXPECT_EQ(into.size(), 0u);
}

TEST(StreamPump, CopiesExactCountsInWholeChunks) {
    std::string text(25, 'a');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = char('a' + i);
    IncrementalBuffer source = bufferOf(text);
    ConstBufferStream in(source);
    WriteLog log;
    StreamPump pump(8, &in, &log);
    pump.pump(0);
    EXPECT_TRUE(log.writes.empty());
    pump.pump(16);
    EXPECT_EQ(log.writes, (std::vector<std::uint64_t>{8, 8}));
    pump.pump(9);
    EXPECT_EQ(log.writes, (std::vector<std::uint64_t>{8, 8, 8, 1}));
    EXPECT_EQ(log.data, text);
}

TEST(StreamPump, PumpAllCopiesEverythingFromAnyReader) {
    PlainReader plain("0123456789abcdefXYZ");
    WriteLog log;
    StreamPump pump(8, &plain, &log);
    pump.pumpAll();
    EXPECT_EQ(log.data, "0123456789abcdefXYZ");
    EXPECT_EQ(log.writes, (std::vector<std::uint64_t>{8, 8, 3}));

    IncrementalBuffer source = bufferOf("0123456789abcdef");
    ConstBufferStream in(source);
    WriteLog exact;
    StreamPump bulk(8, &in, &exact);
    bulk.pumpAll();
    EXPECT_EQ(exact.writes, (std::vector<std::uint64_t>{8, 8}));
}

TEST(StreamPump, MissingEndsAndEmptyChunksAreRefused) {
    NullWriteStream sink;
    StreamPump noSource(8, nullptr, &sink);
    EXPECT_THROW(noSource.pump(1), UninitializedException);
    IncrementalBuffer source = bufferOf("x");
    ConstBufferStream in(source);
    StreamPump noSink(8, &in, nullptr);
    try {
        noSink.pumpAll();
        FAIL();
    } catch (const UninitializedException& e) {
        EXPECT_EQ(e.message(), "Stream pump sink not initialized. ");
    }
    EXPECT_THROW(StreamPump(0), UnexpectedValueException);
}

TEST(SizeMeasureWriteStream, CountsBytes) {
    SizeMeasureWriteStream measure;
    measure.write("abc", 3);
    measure.write(nullptr, 0);
    EXPECT_EQ(measure.count(), 3u);
}

TEST(CppStreams, WrappingAFailedStreamThrowsAtOnce) {
    std::ifstream missing("/nonexistent/kestrune/file");
    try {
        CppInStream stream(missing);
        FAIL();
    } catch (const StreamException& e) {
        EXPECT_EQ(e.message(), "Wrapping bad input stream. ");
    }
    std::ofstream unwritable("/nonexistent/kestrune/file");
    EXPECT_THROW(CppOutStream stream(unwritable), StreamException);
}

TEST(CppStreams, AtEndLeavesTellAndSizeWorking) {
    std::istringstream text("hello");
    CppInStream stream(text);
    char out[5];
    stream.read(out, 5);
    EXPECT_TRUE(stream.atEnd());
    EXPECT_EQ(stream.tell(), 5u);
    EXPECT_EQ(stream.size(), 5u);
    stream.seek(1);
    EXPECT_FALSE(stream.atEnd());
    EXPECT_EQ(stream.remaining(), 4u);
    EXPECT_THROW(stream.read(out, 5), StreamException);
}

TEST(CppStreams, WritesSeeksAndSizes) {
    std::ostringstream text;
    CppOutStream stream(text);
    stream.write("abcdef", 6);
    stream.seek(2, RandomStream::BackFromEnd);
    EXPECT_EQ(stream.tell(), 4u);
    stream.write("XY", 2);
    stream.flush();
    EXPECT_EQ(text.str(), "abcdXY");
    EXPECT_EQ(stream.size(), 6u);
    EXPECT_THROW(stream.write("x", 0x8000000000000000ull), BoundException<unsigned long long>);
}
