// kestrune-gallery: the sample pictures a new player finds in the gallery.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Command.h"
#include "support/TempFolder.h"

using KestruneTest::Command;
using KestruneTest::TempFolder;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-gallery";
const std::string pictureTool = KESTRUNE_BINARY_DIR "/bin/kestrune-picture";

} // namespace

TEST(GalleryTool, DrawsFourDetailedPicturesTheGameKeeps) {
    TempFolder folder;
    const std::string target = folder.file("pictures");
    ASSERT_EQ(Command::run(tool + " '" + target + "'").exitCode, 0);
    // The game's gallery lists every one of them.
    const auto listed = Command::run(pictureTool + " gallery '" + target + "'");
    ASSERT_EQ(listed.exitCode, 0);
    for (const char* name : {"evening-hills.png", "stained-glass.png", "spiral.png", "patchwork.png"})
        EXPECT_NE(listed.output.find(name), std::string::npos) << listed.output;
    // Each, decoded with zlib, is 1024 x 768 RGB with much detail: many
    // colours, and no large part of one colour.
    const auto checked = Command::python(R"(
import os, struct, zlib
folder = ")" + target + R"("
for name in sorted(os.listdir(folder)):
    data = open(os.path.join(folder, name), "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", name
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR": header = struct.unpack(">IIBBBBB", body)
        if kind == b"IDAT": idat += body
        pos += 12 + length
    width, height, depth, ctype = header[:4]
    assert (width, height, depth, ctype) == (1024, 768, 8, 2), (name, header)
    raw = zlib.decompress(idat)
    stride = width * 3
    colours = {}
    for y in range(height):
        assert raw[y * (stride + 1)] == 0, name  # the encoder writes unfiltered rows
        row = raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)]
        for x in range(0, width, 4):
            key = row[x * 3:x * 3 + 3]
            colours[key] = colours.get(key, 0) + 1
    samples = height * width // 4
    print(name, len(colours), max(colours.values()) / samples)
    assert len(colours) > 1000, name
    assert max(colours.values()) < samples // 4, name
print("ok")
)");
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_NE(checked.output.find("ok"), std::string::npos) << checked.output;
}

TEST(GalleryTool, WithoutAFolderItExplainsItself) {
    const auto result = Command::run(tool + " 2>&1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("usage: kestrune-gallery FOLDER"), std::string::npos) << result.output;
}
