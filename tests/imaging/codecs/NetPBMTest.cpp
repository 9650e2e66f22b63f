#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/ConversionException.h"
#include "imaging/FormatException.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/InsufficientMetaException.h"
#include "imaging/codecs/NetPBMExporter.h"
#include "imaging/codecs/NetPBMImporter.h"

using namespace TAVO;
using namespace TAVO::Migration;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Decoded {
    Bytes pixels;
    ImageMetadata metadata;
};

Decoded decode(const std::string& file) {
    IncrementalBuffer bytes;
    bytes.assign(file.data(), std::uint32_t(file.size()));
    ConstBufferStream stream(bytes);
    NetPBMImporter importer;
    importer.setStream(stream);
    IncrementalBuffer pixels;
    Decoded result;
    importer.import(pixels, result.metadata);
    result.pixels.assign(pixels.data(), pixels.data() + pixels.size());
    return result;
}

std::string failure(const std::string& file) {
    try {
        decode(file);
    } catch (const Exception& e) {
        return e.message();
    }
    return "no failure";
}

std::string encode(const Bytes& pixels, const ImageMetadata& metadata) {
    IncrementalBuffer in, out;
    in.assign(pixels.data(), std::uint32_t(pixels.size()));
    BufferStream stream(out);
    NetPBMExporter exporter;
    exporter.setStream(stream);
    exporter.write(in, metadata);
    return std::string(out.data(), out.data() + out.size());
}

} // namespace

TEST(NetPBM, GreyRowsBottomFirst) {
    Decoded d = decode(std::string("P5\n2 2\n255\n") + "\x10\x20\x30\x40");
    EXPECT_EQ(d.pixels, (Bytes{0x30, 0x40, 0x10, 0x20}));
    EXPECT_EQ(d.metadata.get("Format"), "INTENSITY");
    EXPECT_EQ(decode(std::string("P5 2\t2\r255\0", 11) + "abcd").pixels, (Bytes{'c', 'd', 'a', 'b'}));
    EXPECT_EQ(decode("P5\n4#comment\n1\n255\nabcd").metadata.width(), 4u);
}

TEST(NetPBM, SixteenBitColourKeepsFileOrderAndSaysSo) {
    Decoded d = decode(std::string("P6\n1 1\n65535\n") + "\x01\x02\x03\x04\x05\x06");
    EXPECT_EQ(d.pixels, (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(d.metadata.type().bits(), 16u);
    EXPECT_EQ(d.metadata.type().bigEndian(), 1);
    EXPECT_EQ(encode(d.pixels, d.metadata), std::string("P6\n1\n1\n65535\n") + "\x01\x02\x03\x04\x05\x06");
}

TEST(NetPBM, SmallMaxvalsAreScaled) {
    EXPECT_EQ(decode(std::string("P5\n3 1\n100\n") + std::string("\x00\x32\x64", 3)).pixels, (Bytes{0, 128, 255}));
    // A sample above maxval is taken as maxval.
    EXPECT_EQ(decode(std::string("P5\n1 1\n1\n") + "\x07").pixels, (Bytes{255}));
}

TEST(NetPBM, BitmapsAreDeliveredAsGreyWithSetBitsBlack) {
    Decoded d = decode(std::string("P4\n10 1\n") + "\xA0\x40");
    EXPECT_EQ(d.pixels, (Bytes{0, 255, 0, 255, 255, 255, 255, 255, 255, 0}));
    EXPECT_EQ(d.metadata.type().bits(), 8u);
    ImageMetadata bits(10, 1, 1, 1);
    EXPECT_EQ(encode(d.pixels, bits), std::string("P4\n10\n1\n") + "\xA0\x40");
}

TEST(NetPBM, ExporterHeaderAndRefusals) {
    EXPECT_EQ(encode({1, 2, 3}, ImageMetadata(3, 1, 1, 8)), "P5\n3\n1\n255\n\x01\x02\x03");
    EXPECT_THROW(encode(Bytes(8), ImageMetadata(1, 1, 2, 16)), SupportException);
    EXPECT_THROW(encode(Bytes(8), ImageMetadata(1, 1, 1, 32)), FormatException);
    EXPECT_ANY_THROW(encode(Bytes(5), ImageMetadata(2, 1, 3, 24)));
    ImageMetadata bgr(1, 1, 3, 24);
    bgr.setFormat(ImageMetadata::Format::BGRA);
    EXPECT_EQ(encode({1, 2, 3}, bgr), "P6\n1\n1\n255\n\x03\x02\x01");
}

TEST(NetPBM, HeaderFailures) {
    EXPECT_EQ(failure("Q5\n1 1\n255\n\x00"), "NetPBM : Data is not recognized as NetPBM.");
    EXPECT_EQ(failure("P5x1 1\n255\n\x00"), "NetPBM : Expected NetPBM magic number to end with whitespace.");
    EXPECT_EQ(failure("P3\n1 1\n255\n1 2 3\n"), "No support for plain ASCII. ");
    EXPECT_EQ(failure("P7\nWIDTH 1\n"), "No support for NetPBM PAM. ");
    EXPECT_EQ(failure("P9\n"), "No support for PGM type P9. ");
    EXPECT_THROW(decode("P5\n1x 1\n255\n\x00"), Text::ConversionException);
    EXPECT_ANY_THROW(decode("P5\n0 1\n255\n"));
    EXPECT_ANY_THROW(decode("P5\n100000 100000\n255\n"));
    EXPECT_ANY_THROW(decode("P6\n16384 16384\n255\n"));
    EXPECT_ANY_THROW(decode("P5\n1 1\n0\n\x00"));
    EXPECT_ANY_THROW(decode("P5\n1 1\n70000\n\x00"));
    EXPECT_EQ(failure("P5\n" + std::string(1000, '1') + " 1\n255\n"), "NetPBM : Header token too long. ");
}

TEST(NetPBM, SeparateStepsAndTheirOrder) {
    IncrementalBuffer bytes;
    const std::string file = std::string("P5\n2 1\n255\n") + "\x05\x06";
    bytes.assign(file.data(), std::uint32_t(file.size()));
    ConstBufferStream stream(bytes);
    NetPBMImporter importer;
    importer.setStream(stream);
    IncrementalBuffer pixels(0, 2);
    EXPECT_THROW(importer.importData(pixels), InsufficientMetaException);
    ImageMetadata metadata;
    importer.importMeta(metadata);
    EXPECT_EQ(metadata.width(), 2u);
    IncrementalBuffer small(0, 1);
    EXPECT_ANY_THROW(importer.importData(small));
    importer.importData(pixels);
    EXPECT_EQ(Bytes(pixels.data(), pixels.data() + 2), (Bytes{5, 6}));
    EXPECT_THROW(importer.importData(pixels), InsufficientMetaException);
}

TEST(NetPBM, EveryTruncationEndsInAnException) {
    for (const std::string& file : {std::string("P6\n2 2\n65535\n") + std::string(24, 'x'),
                                    std::string("P4\n9 2\n") + "abcd", std::string("P5 3 1 255 abc")}) {
        for (std::size_t n = 0; n < file.size(); ++n)
            EXPECT_ANY_THROW(decode(file.substr(0, n))) << n;
        EXPECT_NO_THROW(decode(file));
    }
}
