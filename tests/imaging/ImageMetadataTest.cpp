#include <gtest/gtest.h>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/ConversionException.h"
#include "foundation/text/Match.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"

using namespace TAVO;
using namespace TAVO::Migration;

namespace {

ImageMetadata image(std::uint32_t width, std::uint32_t height, std::uint32_t channels, std::uint32_t bits = 8) {
    ImageMetadata m(width, height, channels, channels * bits);
    return m;
}

std::vector<std::uint32_t> order(std::initializer_list<std::uint32_t> list) { return list; }

} // namespace

// ---- Layout tables ----------------------------------------------------------

TEST(ImageLayoutTest, DerivesBytesAndOrderFromTypedFields) {
    struct Row {
        std::uint32_t width, channels, bits, pixelAlignment, lineAlignment;
        std::uint32_t bytesPerPixel, bytesPerRow;
    };
    const Row rows[] = {
        {3, 3, 8, 0, 0, 3, 9},      // packed RGB
        {3, 3, 8, 0, 32, 3, 12},    // rows aligned to 4 bytes
        {3, 3, 8, 32, 0, 4, 12},    // pixels aligned to 4 bytes
        {5, 1, 8, 0, 32, 1, 8},     // grey rows padded
        {4, 2, 16, 0, 0, 4, 16},    // 16-bit grey and alpha
        {7, 1, 1, 0, 0, 0, 0},      // 1-bit samples without pixel alignment: no bytes, no error
        {7, 1, 1, 8, 0, 1, 7},      // 1-bit samples aligned to a byte
        {10, 1, 1, 8, 64, 1, 16},   // aligned pixels and rows
        {1, 4, 8, 0, 0, 4, 4},
    };
    for (const Row& r : rows) {
        ImageMetadata m = image(r.width, 2, r.channels, r.bits);
        m.setPixelAlignment(r.pixelAlignment);
        m.setLineAlignment(r.lineAlignment);
        const ImageLayout layout(m);
        EXPECT_EQ(layout.bytesPerPixel(), r.bytesPerPixel) << r.width << " " << r.channels << " " << r.bits;
        EXPECT_EQ(layout.bytesPerRow(), r.bytesPerRow) << r.width << " " << r.channels << " " << r.bits;
        EXPECT_EQ(layout.channelOrder().size(), r.channels);
        EXPECT_EQ(layout.byteCount(), std::uint64_t(r.bytesPerRow) * 2);
    }
}

TEST(ImageLayoutTest, ChannelOrderFollowsFormat) {
    ImageMetadata rgb = image(3, 2, 3);
    EXPECT_EQ(ImageLayout(rgb).channelOrder(), order({0, 1, 2}));
    ImageMetadata bgra = image(3, 2, 4);
    bgra.setFormat(ImageMetadata::Format::BGRA);
    EXPECT_EQ(ImageLayout(bgra).channelOrder(), order({2, 1, 0, 3}));
    bgra.setChannels(3);
    EXPECT_EQ(ImageLayout(bgra).channelOrder(), order({2, 1, 0}));
}

TEST(ImageLayoutTest, BgraNeedsThreeChannels) {
    for (std::uint32_t channels : {0u, 1u, 2u}) {
        ImageMetadata m = image(3, 2, 1);
        m.setChannels(channels);
        m.setFormat(ImageMetadata::Format::BGRA);
        EXPECT_THROW(ImageLayout{m}, UnexpectedValueException) << channels;
    }
}

TEST(ImageLayoutTest, NonByteAlignedPixelsAreRefused) {
    ImageMetadata bits = image(7, 1, 1, 1);
    bits.setPixelAlignment(4);
    try {
        ImageLayout{bits};
        FAIL();
    } catch (const SupportException& e) {
        EXPECT_NE(e.message().find("non-byte-aligned pixels"), std::string::npos);
    }
    ImageMetadata rows = image(3, 1, 1, 8);
    rows.setLineAlignment(12); // 24 bits round to 24: fine
    EXPECT_EQ(ImageLayout(rows).bytesPerRow(), 3u);
    rows.setLineAlignment(20); // 24 bits round to 40: 5 bytes
    EXPECT_EQ(ImageLayout(rows).bytesPerRow(), 5u);
    rows.setLineAlignment(7); // 24 bits round to 28: not whole bytes
    EXPECT_THROW(ImageLayout{rows}, SupportException);
}

TEST(ImageLayoutTest, SizesBeyond32BitsAreRefusedInsteadOfWrapping) {
    ImageMetadata wide = image(0x40000000u, 1, 4);
    EXPECT_THROW(ImageLayout{wide}, BoundException<unsigned long long>);
    ImageMetadata deep = image(1, 1, 1);
    deep.setType(Value(0xFFFFFFFFu, Value::Unsigned, 0));
    deep.setChannels(200);
    deep.setPixelAlignment(8);
    EXPECT_THROW(ImageLayout{deep}, BoundException<unsigned long long>);
    ImageMetadata many = image(1, 1, 1);
    many.setChannels(4000000000u);
    EXPECT_THROW(ImageLayout{many}, BoundException<unsigned int>);
    // A huge line alignment rounds in 64 bits.
    ImageMetadata aligned = image(1, 1, 1);
    aligned.setLineAlignment(0xFFFFFFF8u);
    EXPECT_EQ(ImageLayout(aligned).bytesPerRow(), 0x1FFFFFFFu);
    // The byte count of the whole image is 64-bit.
    ImageMetadata tall = image(65536, 65536, 4);
    const ImageLayout layout(tall);
    EXPECT_EQ(layout.byteCount(), std::uint64_t(65536) * 65536 * 4);
    EXPECT_THROW(layout.bufferSize(), BoundException<unsigned long long>);
}

TEST(ImageLayoutTest, ComesFromTextsOfPlainMetadata) {
    Metadata m;
    m.set("Width", "3");
    m.set("Height", "2");
    m.set("Channels", "4");
    m.set("Pixel alignment", "0");
    m.set("Line alignment", "64");
    m.set("Type", "8-bit unsigned little endian");
    m.set("Format", "BGRA");
    const ImageLayout layout(m);
    EXPECT_EQ(layout.width(), 3u);
    EXPECT_EQ(layout.bytesPerPixel(), 4u);
    EXPECT_EQ(layout.bytesPerRow(), 16u);
    EXPECT_EQ(layout.channelOrder(), order({2, 1, 0, 3}));
    m.set("Width", "3x");
    EXPECT_THROW(ImageLayout{m}, Text::ConversionException);
    Metadata missing;
    EXPECT_THROW(ImageLayout{missing}, NotFoundException<std::string>);
}

TEST(ImageLayoutTest, CopyBetweenLayoutsMovesPixels) {
    // 3x2 RGB packed into 4-byte pixels with 16-byte rows.
    ImageMetadata packed = image(3, 2, 3);
    ImageMetadata padded = packed;
    padded.setPixelAlignment(32);
    padded.setLineAlignment(128);
    const ImageLayout from(packed), to(padded);
    IncrementalBuffer source(0, 18), target(0, 32);
    for (std::uint32_t i = 0; i < 18; ++i)
        *source.data(i) = std::uint8_t(i + 1);
    std::fill(target.data(), target.data() + 32, 0xEE);
    ImageLayout::copy(source, from, target, to);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 3; ++x)
            for (std::uint32_t c = 0; c < 3; ++c)
                EXPECT_EQ(*target.data(y * 16 + x * 4 + c), y * 9 + x * 3 + c + 1);
    EXPECT_EQ(*target.data(3), 0xEE); // the padding byte of each pixel is not touched
    // And back again.
    IncrementalBuffer back(0, 18);
    ImageLayout::copy(target, to, back, from);
    EXPECT_TRUE(back == source);
}

TEST(ImageLayoutTest, CopyChecksBufferSizes) {
    ImageMetadata packed = image(3, 2, 3);
    ImageMetadata padded = packed;
    padded.setLineAlignment(128);
    IncrementalBuffer source(0, 18), shortTarget(0, 20), fullTarget(0, 32), shortSource(0, 17);
    EXPECT_THROW(ImageLayout::copy(source, ImageLayout(packed), shortTarget, ImageLayout(padded)),
                 SpaceException<unsigned long long>);
    EXPECT_THROW(ImageLayout::copy(shortSource, ImageLayout(packed), fullTarget, ImageLayout(padded)),
                 SpaceException<unsigned long long>);
    // Equal layouts need equal sizes.
    EXPECT_THROW(ImageLayout::copy(source, ImageLayout(packed), shortTarget, ImageLayout(packed)),
                 UnexpectedValueException);
    // A target larger than the source.
    ImageMetadata wider = image(4, 2, 3);
    IncrementalBuffer wide(0, 24);
    EXPECT_THROW(ImageLayout::copy(source, ImageLayout(packed), wide, ImageLayout(wider)), BoundException<unsigned int>);
}

// ---- Value -----------------------------------------------------------------

TEST(ValueTest, TextRoundTrips) {
    for (std::uint32_t kind = 0; kind <= 4; ++kind)
        for (std::uint32_t bits : {0u, 1u, 8u, 16u, 4294967295u})
            for (std::uint8_t big : {std::uint8_t(0), std::uint8_t(1)}) {
                const Value v(bits, kind, big);
                EXPECT_EQ(Value::parse(v.toString()), v) << v.toString();
            }
    EXPECT_EQ(Value(1, 0).toString(), "8-bit unsigned little endian");
    const Value parsed = Value::parse("16-bit two complement big endian");
    EXPECT_EQ(parsed.bits(), 16u);
    EXPECT_EQ(parsed.kind(), 1u);
    EXPECT_EQ(parsed.bigEndian(), 1);
    EXPECT_EQ(Value(7, 7, 0).toString(), "7-bit custom little endian");
}

TEST(ValueTest, RefusesOtherTexts) {
    for (const char* text : {"16-bit signed big endian", "16-bit unsigned middle endian", "16-bit custom big endian",
                             "16 bit unsigned big endian", "", "16-bit unsigned big endian and more",
                             "16-bit unsigned  big endian"})
        EXPECT_THROW(Value::parse(text), ParseException) << text;
    EXPECT_THROW(Value::parse("-bit unsigned big endian"), Text::ConversionException);
    EXPECT_THROW(Value::parse("99999999999-bit unsigned big endian"), Text::ConversionException);
}

TEST(ValueTest, PrimitiveCodes) {
    for (std::uint32_t code = 0; code < 9; ++code)
        EXPECT_EQ(Value(code, 0).primitive(), code);
    EXPECT_EQ(Value(12, Value::Unsigned, 0).primitive(), 3u);
    EXPECT_EQ(Value(33, Value::Unsigned, 0).primitive(), 9u);
    EXPECT_EQ(Value(64, Value::FloatingPoint, 0).primitive(), 7u);
    EXPECT_EQ(Value(7, Value::Boolean, 0).primitive(), 8u);
    EXPECT_EQ(Value(8, Value::FixedPoint, 0).primitive(), 9u);
    const Value kept = Value(9, 1);
    EXPECT_EQ(kept.bits(), 0u);
    EXPECT_EQ(kept.bigEndian(), 1);
}

// ---- Metadata --------------------------------------------------------------

TEST(ImageMetadataTest, TypedKeysAndMap) {
    ImageMetadata m;
    m.set("Width", "12");
    EXPECT_EQ(m.width(), 12u);
    EXPECT_EQ(m.get("Width"), "12");
    EXPECT_THROW(m.set("Width", "12px"), Text::ConversionException);
    EXPECT_THROW(m.set("Height", "-1"), Text::ConversionException);
    EXPECT_THROW(m.set("Format", "rgba"), ParseException);
    EXPECT_FALSE(m.has("Author"));
    m.set("Author", "someone");
    EXPECT_TRUE(m.has("Author"));
    EXPECT_TRUE(m.has("Line alignment"));
    EXPECT_EQ(m.get("Author"), "someone");
    EXPECT_THROW(m.get("Missing"), NotFoundException<std::string>);
    const Metadata::Map entries = m.entries();
    EXPECT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries.at("Format"), "INTENSITY");
    EXPECT_EQ(entries.at("Type"), "0-bit unsigned little endian");
}

TEST(ImageMetadataTest, Constructors) {
    const ImageMetadata grey(5, 6, 2, 16);
    EXPECT_EQ(grey.type().bits(), 8u);
    EXPECT_EQ(grey.format().toString(), "INTENSITY");
    const ImageMetadata rgba(5, 6, 4, 32);
    EXPECT_EQ(rgba.format().toString(), "RGBA");
    EXPECT_THROW(ImageMetadata(1, 1, 0, 8), UnexpectedValueException);

    Metadata plain;
    plain.set("Width", "7");
    plain.set("Own key", "x");
    const ImageMetadata from(plain);
    EXPECT_EQ(from.width(), 7u);
    EXPECT_EQ(from.height(), 0u);
    EXPECT_EQ(from.channels(), 0u);
    EXPECT_EQ(from.get("Own key"), "x");
    EXPECT_EQ(from.format().code(), 0u);
}

TEST(ImageMetadataTest, FormatWords) {
    EXPECT_EQ(ImageMetadata::Format(2).toString(), "BGRA");
    try {
        ImageMetadata::Format(3).toString();
        FAIL();
    } catch (const UnexpectedValueException& e) {
        EXPECT_EQ(e.message(), "3 is not image format descriptor. ");
    }
}

TEST(ImageMetadataTest, AssignmentMerges) {
    ImageMetadata target(4, 4, 3, 24);
    target.set("Kept", "yes");
    Metadata source;
    source.set("Width", "9");
    source.set("New", "1");
    target = source;
    EXPECT_EQ(target.width(), 9u);
    EXPECT_EQ(target.height(), 4u);
    EXPECT_EQ(target.get("Kept"), "yes");
    EXPECT_EQ(target.get("New"), "1");
}

TEST(ImageMetadataTest, SerializationKeepsFieldsAndExtraKeys) {
    ImageMetadata written(640, 480, 4, 32);
    written.setPixelAlignment(32);
    written.setLineAlignment(64);
    written.setFormat(ImageMetadata::Format::BGRA);
    written.setType(Value(16, Value::TwoComplement, 1));
    written.set("Comment", "a \"quoted\" text");
    IncrementalBuffer bytes;
    BufferStream out(bytes);
    Serialization::serialize(written, out);

    ConstBufferStream in(bytes);
    ImageMetadata read;
    Serialization::deserialize(in, read);
    EXPECT_EQ(read.entries(), written.entries());
    EXPECT_EQ(read.width(), 640u);
    EXPECT_EQ(read.type(), Value(16, Value::TwoComplement, 1));
    EXPECT_EQ(read.get("Comment"), "a \"quoted\" text");

    // A plain Metadata reads the same bytes as eight texts.
    ConstBufferStream again(bytes);
    Metadata plain;
    Serialization::deserialize(again, plain);
    EXPECT_EQ(plain.entries().size(), 8u);
    EXPECT_EQ(plain.get("Line alignment"), "64");
}

TEST(ImageMetadataTest, SerializedBadFieldThrows) {
    Metadata bad;
    bad.set("Width", "wide");
    IncrementalBuffer bytes;
    BufferStream out(bytes);
    Serialization::serialize(bad, out);
    ConstBufferStream in(bytes);
    ImageMetadata read;
    EXPECT_THROW(Serialization::deserialize(in, read), Text::ConversionException);
}

TEST(ImageMetadataTest, SizeLimitOfTheModel) {
    EXPECT_NO_THROW(ImageMetadata::checkSize(1, 1));
    EXPECT_NO_THROW(ImageMetadata::checkSize(16384, 16384));
    EXPECT_NO_THROW(ImageMetadata::checkSize(16384, 16384, 4));
    EXPECT_THROW(ImageMetadata::checkSize(0, 5), UnexpectedValueException);
    EXPECT_THROW(ImageMetadata::checkSize(5, 0), UnexpectedValueException);
    EXPECT_THROW(ImageMetadata::checkSize(16385, 1), BoundException<unsigned int>);
    EXPECT_THROW(ImageMetadata::checkSize(1, 0xFFFFFFFFu), BoundException<unsigned int>);
    EXPECT_THROW(ImageMetadata::checkSize(2, 2, 0), BoundException<unsigned int>);
    EXPECT_THROW(ImageMetadata::checkSize(2, 2, 257), BoundException<unsigned int>);
    static_assert(std::uint64_t(ImageMetadata::maximumSide) * ImageMetadata::maximumSide <=
                  ImageMetadata::maximumPixels);
}
