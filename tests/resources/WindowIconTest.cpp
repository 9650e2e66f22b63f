#include <gtest/gtest.h>

#include "ShippedResources.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGImporter.h"
#include "support/Command.h"

using namespace ResourcesTest;
using KestruneTest::Command;
using TAVO::Migration::ImageMetadata;

namespace {

const std::string icon = packedFolder() + "/assets/icon.png";

} // namespace

// Read as the game reads it for the window: the PNG importer on the entry's
// stream in the built-in archive.
TEST(WindowIcon, DecodesAsEightBitRGBA) {
    EmbeddedArchive embedded;
    auto reader = embedded.archive().openReader("assets/icon.png");
    ASSERT_TRUE(reader);
    TAVO::Migration::PNGImporter importer;
    importer.setStream(reader->stream());
    TAVO::IncrementalBuffer pixels;
    ImageMetadata metadata;
    importer.import(pixels, metadata);
    importer.clearStream();
    EXPECT_EQ(metadata.width(), 64u);
    EXPECT_EQ(metadata.height(), 64u);
    EXPECT_EQ(metadata.channels(), 4u);
    EXPECT_EQ(metadata.type().bits(), 8u);
    EXPECT_EQ(metadata.format().code(), ImageMetadata::Format::RGBA);
    ASSERT_EQ(pixels.size(), 64u * 64u * 4u);
    auto alpha = [&](std::uint32_t x, std::uint32_t y) { return pixels.data()[(y * 64 + x) * 4 + 3]; };
    // Clear corners, a solid piece in the middle.
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(63, 63), 0);
    EXPECT_EQ(alpha(32, 32), 255);
    std::uint32_t solid = 0;
    for (std::uint32_t i = 0; i < 64u * 64u; ++i)
        solid += pixels.data()[i * 4 + 3] == 255;
    EXPECT_GT(solid, 64u * 64u / 4);
    EXPECT_LT(solid, 64u * 64u * 3 / 4);
}

TEST(WindowIcon, OutsideCheckersAgree) {
    if (Command::available("pngcheck")) {
        const auto checked = Command::run("pngcheck -v '" + icon + "' 2>&1");
        EXPECT_EQ(checked.exitCode, 0) << checked.output;
        EXPECT_NE(checked.output.find("64 x 64 image, 32-bit RGB+alpha, non-interlaced"), std::string::npos)
            << checked.output;
    }
    // The header and every row decoded with zlib, undoing any filter.
    const auto decoded = Command::python(R"(
import struct, zlib
data = open(")" + icon + R"(", "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
pos, idat, header = 8, b"", None
while pos < len(data):
    n, = struct.unpack(">I", data[pos:pos + 4])
    kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
    assert zlib.crc32(kind + body) == struct.unpack(">I", data[pos + 8 + n:pos + 12 + n])[0]
    if kind == b"IHDR":
        header = struct.unpack(">IIBBBBB", body)
    elif kind == b"IDAT":
        idat += body
    pos += 12 + n
w, h, depth, colour, _, _, interlace = header
raw = zlib.decompress(idat)
stride, rows, prev = w * 4, [], bytearray(w * 4)
for y in range(h):
    f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 4] if i >= 4 else 0
        b, c = prev[i], prev[i - 4] if i >= 4 else 0
        p = a + b - c
        pred = [0, a, b, (a + b) // 2,
                a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c][f]
        line[i] = (line[i] + pred) & 255
    rows.append(line)
    prev = line
opaque = sum(1 for r in rows for i in range(3, stride, 4) if r[i] == 255)
print(w, h, depth, colour, interlace, rows[0][3], rows[32][32 * 4 + 3], opaque > w * h // 4)
)");
    ASSERT_EQ(decoded.exitCode, 0) << decoded.output;
    EXPECT_EQ(decoded.output, "64 64 8 6 0 0 255 True\n");
}
