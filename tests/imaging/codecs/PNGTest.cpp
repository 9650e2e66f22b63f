#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/CRC32.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/FormatException.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/Inflater.h"
#include "imaging/codecs/PNGExporter.h"
#include "imaging/codecs/PNGImporter.h"
#include "imaging/codecs/ZlibStream.h"

using namespace TAVO;
using namespace TAVO::Migration;
using Bytes = std::vector<std::uint8_t>;

namespace {

void put32(Bytes& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(std::uint8_t(v >> s));
}

void addChunk(Bytes& file, const char* type, const Bytes& data) {
    put32(file, std::uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    put32(file, CRC32::of(body.data(), body.size()));
}

Bytes header(std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t type, std::uint8_t interlace = 0) {
    Bytes d;
    put32(d, w);
    put32(d, h);
    d.insert(d.end(), {depth, type, 0, 0, interlace});
    return d;
}

Bytes zlibOf(const Bytes& raw) {
    IncrementalBuffer in, out;
    in.assign(raw.data(), std::uint32_t(raw.size()));
    BufferStream stream(out);
    PNG::ZlibStream::write(in, stream);
    return Bytes(out.data(), out.data() + out.size());
}

Bytes signature() { return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}; }

// A 2x2 RGB picture: rows (filter 0) top then bottom.
Bytes smallFile(bool split = false) {
    Bytes raw{0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};
    Bytes z = zlibOf(raw);
    Bytes file = signature();
    addChunk(file, "IHDR", header(2, 2, 8, 2));
    addChunk(file, "tIME", {1, 2, 3});
    if (split) {
        addChunk(file, "IDAT", Bytes(z.begin(), z.begin() + 5));
        addChunk(file, "IDAT", Bytes(z.begin() + 5, z.end()));
    } else {
        addChunk(file, "IDAT", z);
    }
    addChunk(file, "IEND", {});
    return file;
}

struct Decoded {
    Bytes pixels;
    ImageMetadata metadata;
};

Decoded decode(const Bytes& file) {
    IncrementalBuffer bytes;
    bytes.assign(file.data(), std::uint32_t(file.size()));
    ConstBufferStream stream(bytes);
    PNGImporter importer;
    importer.setStream(stream);
    IncrementalBuffer pixels;
    Decoded result;
    importer.import(pixels, result.metadata);
    result.pixels.assign(pixels.data(), pixels.data() + pixels.size());
    return result;
}

std::string failure(const Bytes& file) {
    try {
        decode(file);
    } catch (const Exception& e) {
        return e.message();
    }
    return "no failure";
}

Bytes encode(const Bytes& pixels, const ImageMetadata& metadata) {
    IncrementalBuffer in, out;
    in.assign(pixels.data(), std::uint32_t(pixels.size()));
    BufferStream stream(out);
    PNGExporter exporter;
    exporter.setStream(stream);
    exporter.write(in, metadata);
    return Bytes(out.data(), out.data() + out.size());
}

} // namespace

TEST(PNG, RowsAreDeliveredBottomFirstAndSplitDataDecodesTheSame) {
    Decoded one = decode(smallFile());
    EXPECT_EQ(one.pixels, (Bytes{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(one.metadata.width(), 2u);
    EXPECT_EQ(one.metadata.channels(), 3u);
    EXPECT_EQ(one.metadata.get("Format"), "RGBA");
    EXPECT_EQ(decode(smallFile(true)).pixels, one.pixels);
}

TEST(PNG, ChunkRulesAndTheirMessages) {
    Bytes file = smallFile();
    Bytes flipped = file;
    flipped[8 + 8 + 3] ^= 1; // a bit of IHDR's data
    EXPECT_EQ(failure(flipped), "png : chunk crc missmatch");
    Bytes noEnd(file.begin(), file.end() - 12);
    EXPECT_EQ(failure(noEnd), "png : unexpected end of file");
    Bytes notPng = file;
    notPng[1] = 'Q';
    EXPECT_EQ(failure(notPng), "png : signature missmatch");

    auto withChunk = [](const char* type, const Bytes& data) {
        Bytes f = signature();
        addChunk(f, "IHDR", header(1, 1, 8, 3));
        addChunk(f, type, data);
        addChunk(f, "IEND", {});
        return f;
    };
    EXPECT_EQ(failure(withChunk("ABCD", {})), "png : unsuppored critical chunk");
    EXPECT_EQ(failure(withChunk("PLTE", Bytes(769))), "png : palette size not a multiple of 3");
    EXPECT_EQ(failure(withChunk("PLTE", Bytes(771))), "png : palette size larger than bit depth support");
    EXPECT_EQ(failure(withChunk("PLTE", {})), "png : empty palette");
    EXPECT_EQ(failure(withChunk("tEXt", {})), "png : missing palette indicated by header");

    Bytes first = signature();
    addChunk(first, "tEXt", {});
    addChunk(first, "IHDR", header(1, 1, 8, 0));
    EXPECT_EQ(failure(first), "png : header chunk is not first");

    Bytes bad = signature();
    addChunk(bad, "IHDR", header(1, 1, 16, 3));
    EXPECT_EQ(failure(bad), "png : combination of bit depth and color type");
    bad = signature();
    addChunk(bad, "IHDR", header(1, 1, 8, 5));
    EXPECT_EQ(failure(bad), "No support for PNG color type 5. ");
    bad = signature();
    addChunk(bad, "IHDR", header(1, 1, 8, 0, 1));
    EXPECT_EQ(failure(bad), "No support for PNG interlace method 1. ");

    Bytes huge = signature();
    put32(huge, 0x80000000u);
    huge.insert(huge.end(), {'I', 'H', 'D', 'R'});
    EXPECT_EQ(failure(huge), "png : chunk length too large");
}

TEST(PNG, HugeAndZeroSizesAreRefusedBeforeAllocating) {
    for (auto [w, h] : {std::pair{0u, 1u}, {1u, 0u}, {100000u, 1u}, {16384u, 16384u}, {0xFFFFFFFFu, 0xFFFFFFFFu}}) {
        Bytes f = signature();
        addChunk(f, "IHDR", header(w, h, 16, 6));
        addChunk(f, "IDAT", zlibOf(Bytes(100)));
        addChunk(f, "IEND", {});
        EXPECT_ANY_THROW(decode(f)) << w << "x" << h;
    }
    // A size the model holds, with data that inflates to less.
    Bytes f = signature();
    addChunk(f, "IHDR", header(4000, 4000, 8, 6));
    addChunk(f, "IDAT", zlibOf(Bytes(100)));
    addChunk(f, "IEND", {});
    EXPECT_EQ(failure(f), "png : image data size missmatch");
}

TEST(PNG, PaletteIndicesPastThePaletteGiveBlack) {
    Bytes f = signature();
    addChunk(f, "IHDR", header(3, 1, 8, 3));
    addChunk(f, "PLTE", {10, 20, 30, 40, 50, 60});
    addChunk(f, "IDAT", zlibOf({0, 1, 2, 255}));
    addChunk(f, "IEND", {});
    EXPECT_EQ(decode(f).pixels, (Bytes{40, 50, 60, 0, 0, 0, 0, 0, 0}));
}

TEST(PNG, FilterTypeFiveIsRefused) {
    Bytes f = signature();
    addChunk(f, "IHDR", header(1, 1, 8, 0));
    addChunk(f, "IDAT", zlibOf({5, 0}));
    addChunk(f, "IEND", {});
    EXPECT_THROW(decode(f), BoundException<unsigned char>);
}

TEST(PNG, ExportedFilesReadBackAndEndWithTheStandardIend) {
    ImageMetadata rgba(1, 1, 4, 32);
    Bytes file = encode({1, 2, 3, 4}, rgba);
    EXPECT_EQ(Bytes(file.end() - 12, file.end()), (Bytes{0, 0, 0, 0, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82}));
    Decoded back = decode(file);
    EXPECT_EQ(back.pixels, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(back.metadata.channels(), 4u);
    EXPECT_EQ(back.metadata.type().bits(), 8u);

    // 16-bit samples: the importer's most-significant-first bytes survive.
    ImageMetadata wide(3, 2, 3, 48);
    Bytes pixels(36);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 37);
    wide.setType(Value(16, 0, 1));
    Decoded w = decode(encode(pixels, wide));
    EXPECT_EQ(w.pixels, pixels);
    EXPECT_EQ(w.metadata.type().bigEndian(), 1);

    // Packed 1-bit grey rows are rounded up to whole bytes.
    ImageMetadata bits(10, 2, 1, 1);
    Decoded b = decode(encode({0xFF, 0xC0, 0x80, 0x00}, bits));
    EXPECT_EQ(b.pixels, (Bytes{255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PNG, ExporterRefusesWhatItCannotWrite) {
    auto refusal = [](const Bytes& pixels, const ImageMetadata& metadata) {
        try {
            encode(pixels, metadata);
        } catch (const Exception& e) {
            return e.message();
        }
        return std::string("no failure");
    };
    ImageMetadata bgra(1, 1, 4, 32);
    bgra.setFormat(ImageMetadata::Format::BGRA);
    EXPECT_EQ(refusal(Bytes(4), bgra), "No support for BGRA. ");
    ImageMetadata two(1, 1, 2, 16);
    two.setFormat(ImageMetadata::Format::RGBA);
    EXPECT_EQ(refusal(Bytes(2), two), "No support for RGBA with 2 channels. ");
    ImageMetadata grey2(1, 1, 2, 16);
    EXPECT_EQ(refusal(Bytes(2), grey2), "No support for INTENSITY with 2 channels. ");
    ImageMetadata rgb4(1, 1, 3, 12);
    EXPECT_EQ(refusal(Bytes(2), rgb4), "No support for combination of bith depth and color type. ");
    ImageMetadata aligned(1, 1, 3, 24);
    aligned.setLineAlignment(32);
    EXPECT_EQ(refusal(Bytes(4), aligned), "No support for non-zero image line alignment. ");
    // A buffer shorter than its rows.
    EXPECT_ANY_THROW(encode(Bytes(5), ImageMetadata(2, 1, 3, 24)));
}

TEST(PNG, EveryTruncationAndFlippedByteEndsInAnException) {
    const Bytes file = smallFile(true);
    for (std::size_t n = 0; n < file.size(); ++n)
        EXPECT_ANY_THROW(decode(Bytes(file.begin(), file.begin() + long(n)))) << n;
    for (std::size_t i = 0; i < file.size(); ++i) {
        Bytes flipped = file;
        flipped[i] ^= 0x5A;
        try {
            decode(flipped);
            // Only bytes no check covers may change without a failure: the
            // ancillary chunk's type letters (still ancillary) are not among them.
            ADD_FAILURE() << "accepted a flipped byte at " << i;
        } catch (const Exception&) {
        }
    }
}
