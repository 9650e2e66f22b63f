#include <gtest/gtest.h>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/UnexpectedEndException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/Shrink.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "imaging/StreamException.h"
#include "imaging/codecs/NativeExporter.h"
#include "imaging/codecs/NativeImporter.h"
#include "support/Command.h"

using namespace TAVO;
using namespace TAVO::Migration;

namespace {

std::string bytesText(const Buffer& buffer) { return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()); }

IncrementalBuffer bufferOf(const std::string& text) {
    IncrementalBuffer buffer;
    buffer.assign(text.data(), std::uint32_t(text.size()));
    return buffer;
}

IncrementalBuffer written(const Buffer& pixels, const Metadata& metadata) {
    IncrementalBuffer file;
    BufferStream stream(file);
    NativeExporter exporter;
    exporter.setStream(stream);
    exporter.write(pixels, metadata);
    exporter.clearStream();
    return file;
}

float recognize(const std::string& text) {
    IncrementalBuffer buffer = bufferOf(text);
    ConstBufferStream stream(buffer);
    return NativeMetaImporter::recognize(stream);
}

// Imports a whole native file; the buffer and metadata receive the result.
void importAll(const Buffer& file, IncrementalBuffer& pixels, Metadata& metadata) {
    ConstBufferStream stream(file);
    NativeImporter importer;
    importer.setStream(stream);
    importer.import(pixels, metadata);
    importer.clearStream();
}

} // namespace

TEST(NativeFormatTest, GoldenBytesFromAnIndependentWriter) {
    ImageMetadata metadata(2, 1, 3, 24);
    const std::string pixels("\x01\x02\x03\xFA\xFB\xFC", 6);
    const IncrementalBuffer file = written(bufferOf(pixels), metadata);

    const auto golden = KestruneTest::Command::python(R"(
import struct, sys
entries = {"Width": "2", "Height": "1", "Channels": "3", "Pixel alignment": "0",
           "Line alignment": "0", "Format": "RGBA", "Type": "8-bit unsigned little endian"}
data = bytes([1, 2, 3, 250, 251, 252])
out = b"".join(b'"' + k.encode() + b'"="' + v.encode() + b'"\r\n' for k, v in sorted(entries.items()))
out += b"\0" + struct.pack("<I", len(data)) + data
sys.stdout.write(out.hex())
)");
    ASSERT_EQ(golden.exitCode, 0);
    std::string hex;
    static const char digits[] = "0123456789abcdef";
    for (std::uint32_t i = 0; i < file.size(); ++i) {
        hex += digits[*file.data(i) >> 4];
        hex += digits[*file.data(i) & 15];
    }
    EXPECT_EQ(hex, golden.output);
    EXPECT_EQ(bytesText(file).substr(0, 16), "\"Channels\"=\"3\"\r\n");
}

TEST(NativeFormatTest, ImageRoundTrip) {
    ImageMetadata metadata(3, 2, 4, 32);
    metadata.setFormat(ImageMetadata::Format::BGRA);
    metadata.setLineAlignment(64);
    metadata.set("Title", "quote \" backslash \\ zero " + std::string(1, '\0') + " end\\");
    metadata.set(std::string("key\0with\"odd\\bytes", 18), "=\"\r\n");
    IncrementalBuffer pixels(0, ImageLayout(metadata).bufferSize());
    for (std::uint32_t i = 0; i < pixels.size(); ++i)
        *pixels.data(i) = std::uint8_t(i * 7);
    const IncrementalBuffer file = written(pixels, metadata);

    IncrementalBuffer readPixels;
    ImageMetadata readMetadata;
    importAll(file, readPixels, readMetadata);
    EXPECT_EQ(readMetadata.entries(), metadata.entries());
    EXPECT_TRUE(readPixels == pixels);

    // The meta-only importer reads the same entries and no data.
    ConstBufferStream stream(file);
    NativeMetaImporter meta;
    meta.setStream(stream);
    IncrementalBuffer none(0, 5);
    ImageMetadata onlyMeta;
    meta.import(none, onlyMeta);
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(onlyMeta.entries(), metadata.entries());
}

TEST(NativeFormatTest, SeparateStepsCheckTheBufferSize) {
    ImageMetadata metadata(2, 2, 1, 8);
    const IncrementalBuffer file = written(bufferOf("abcd"), metadata);
    {
        ConstBufferStream stream(file);
        NativeImporter importer;
        importer.setStream(stream);
        ImageMetadata read;
        importer.importMeta(read);
        IncrementalBuffer pixels(0, ImageLayout(read).bufferSize());
        importer.importData(pixels);
        EXPECT_EQ(bytesText(pixels), "abcd");
    }
    {
        ConstBufferStream stream(file);
        NativeImporter importer;
        importer.setStream(stream);
        ImageMetadata read;
        importer.importMeta(read);
        IncrementalBuffer pixels(0, 3);
        try {
            importer.importData(pixels);
            FAIL();
        } catch (const UnexpectedValueException& e) {
            EXPECT_EQ(e.message(), "4 is not 3. ");
        }
    }
}

TEST(NativeFormatTest, Escapes) {
    EXPECT_EQ(NativeExporter::escape(std::string("a\"b\\c\0d", 7)), "a\\'b\\\\c\\0d");
    EXPECT_EQ(NativeMetaImporter::unescape("a\\xb", 4), "ab");
    EXPECT_EQ(NativeMetaImporter::unescape("\\'\\0\\\\", 6), std::string("\"\0\\", 3));
    try {
        NativeMetaImporter::unescape("ab\\", 3);
        FAIL();
    } catch (const UnexpectedEndException& e) {
        EXPECT_EQ(e.message(), "Unexpected end, expected escape character.");
    }
}

TEST(NativeFormatTest, ShrinkCollapsesRuns) {
    Shrink<char> shrink('"');
    EXPECT_EQ(shrink.apply("\"\"=\"\"\"\"="), "\"=\"=");
    std::string text = "\"\"=\"\"\"\"=";
    char* start = text.data();
    std::uint32_t length = std::uint32_t(text.size());
    shrink.filter(start, length);
    EXPECT_EQ(std::string(start, length), "\"=\"=");
    std::string edges = "\"\"\"a\"\"b\"\"\"";
    start = edges.data();
    length = std::uint32_t(edges.size());
    shrink.filter(start, length);
    EXPECT_EQ(std::string(start, length), "\"a\"b\"");
    std::string one = "\"";
    start = one.data();
    length = 1;
    shrink.filter(start, length);
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(start, one.data());
}

TEST(NativeFormatTest, RecogniserScores) {
    const std::string line = "\"Width\"=\"3\"\r\n";
    EXPECT_EQ(recognize(std::string(16384, 'x')), 0.1f);
    EXPECT_EQ(recognize(std::string(20000, 'x')), 0.1f);
    EXPECT_EQ(recognize(std::string("ab\0", 3)), 0.0f);
    EXPECT_EQ(recognize(line + std::string(1, '\0')), 1.0f);
    EXPECT_EQ(recognize(line + line + std::string(1, '\0')), 0.0f);
    EXPECT_EQ(recognize(line + line + line + line + std::string(1, '\0') + "tail"), 1.0f);
    ImageMetadata metadata(2, 2, 1, 8);
    EXPECT_EQ(recognize(bytesText(written(bufferOf("abcd"), metadata))), 1.0f);
    // Shorter than a test and without a zero byte: no match rather than a stream error.
    EXPECT_EQ(recognize(""), 0.0f);
    EXPECT_EQ(recognize(line), 0.0f);
}

TEST(NativeFormatTest, HostileFilesEndInCleanExceptions) {
    ImageMetadata metadata(2, 2, 3, 24);
    const std::string good = bytesText(written(bufferOf(std::string(12, 'p')), metadata));
    const std::size_t dataStart = good.size() - 12;
    IncrementalBuffer pixels;

    // Every truncation fails with a stream or escape error.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        ImageMetadata read;
        EXPECT_ANY_THROW(importAll(bufferOf(good.substr(0, cut)), pixels, read)) << cut;
    }
    // A declared length that the stream does not hold is refused before allocating.
    std::string hugeLength = good.substr(0, dataStart - 4) + std::string("\xFF\xFF\xFF\x7F", 4) + "xyz";
    {
        ImageMetadata read;
        EXPECT_THROW(importAll(bufferOf(hugeLength), pixels, read), UnexpectedValueException);
    }
    // A length that matches a large layout but not the stream: refused before the buffer grows.
    {
        const std::string large = "\"Width\"=\"16384\"\r\n\"Height\"=\"16384\"\r\n\"Channels\"=\"3\"\r\n" +
                                  std::string(1, '\0') + std::string("\0\0\0\x30", 4) + "xyz";
        ImageMetadata read;
        read.setType(Value(1, 0));
        IncrementalBuffer untouched;
        EXPECT_THROW(importAll(bufferOf(large), untouched, read), SpaceException<unsigned long long>);
        EXPECT_EQ(untouched.capacity(), 0u);
    }
    // A length that disagrees with the layout.
    std::string shortLength = good.substr(0, dataStart - 4) + std::string("\x0B\0\0\0", 4) + std::string(11, 'p');
    {
        ImageMetadata read;
        EXPECT_THROW(importAll(bufferOf(shortLength), pixels, read), UnexpectedValueException);
    }
    // Sizes beyond the image model, even with a matching length.
    for (const char* entries : {"\"Width\"=\"100000\"\r\n\"Height\"=\"1\"\r\n\"Channels\"=\"1\"\r\n",
                                "\"Width\"=\"0\"\r\n\"Height\"=\"0\"\r\n\"Channels\"=\"1\"\r\n",
                                "\"Width\"=\"1\"\r\n\"Height\"=\"1\"\r\n\"Channels\"=\"4000000000\"\r\n"}) {
        ImageMetadata read;
        read.setType(Value(1, 0));
        const std::string file = std::string(entries) + std::string("\0\x01\0\0\0x", 6);
        EXPECT_ANY_THROW(importAll(bufferOf(file), pixels, read)) << entries;
    }
    // A malformed field value.
    {
        ImageMetadata read;
        EXPECT_THROW(importAll(bufferOf("\"Width\"=\"wide\"\r\n" + std::string(1, '\0')), pixels, read),
                     Text::ConversionException);
    }
    // A lone escape character.
    {
        Metadata read;
        EXPECT_THROW(importAll(bufferOf("\"Key\\\"=\"v\"\r\n" + std::string(1, '\0')), pixels, read),
                     UnexpectedEndException);
    }
    // A declared length beyond the stream, into a caller's buffer.
    {
        const IncrementalBuffer truncated = bufferOf(good.substr(0, dataStart + 5));
        ConstBufferStream stream(truncated);
        NativeImporter importer;
        importer.setStream(stream);
        ImageMetadata read;
        importer.importMeta(read);
        IncrementalBuffer target(0, 12);
        EXPECT_THROW(importer.importData(target), SpaceException<unsigned long long>);
    }
}

TEST(NativeFormatTest, WriterRefusesMismatchedBuffers) {
    ImageMetadata metadata(2, 2, 3, 24);
    IncrementalBuffer file;
    BufferStream stream(file);
    NativeExporter exporter;
    exporter.setStream(stream);
    EXPECT_THROW(exporter.write(bufferOf("short"), metadata), UnexpectedValueException);
    EXPECT_EQ(file.size(), 0u);
}

TEST(NativeFormatTest, CodecsWithoutStreamThrow) {
    NativeImporter importer;
    IncrementalBuffer pixels;
    ImageMetadata metadata;
    try {
        importer.import(pixels, metadata);
        FAIL();
    } catch (const Migration::StreamException& e) {
        EXPECT_EQ(e.message(), "Migrator was not associated with a stream. ");
    }
    NativeExporter exporter;
    EXPECT_THROW(exporter.write(pixels, Metadata()), Migration::StreamException);
    EXPECT_EQ(exporter.name(), "");
}
