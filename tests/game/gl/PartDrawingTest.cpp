// The GPU side of a loaded game: texture units, the light map and its dump,
// pictures of every decoded form, refusals that keep the loaded game, and
// the ranges of joined parts.
#include <GL/glew.h>

#include <fstream>
#include <sstream>

#include "Drawing.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "game/LightMapPainter.h"
#include "game/PartDrawing.h"
#include "game/ShaderSet.h"
#include "sdlgl/TextureException.h"
#include "support/TempFolder.h"
#include "ui/PictureTexture.h"

using namespace GameGLTest;
using KestruneGLTest::GLTest;
using KestruneGLTest::Resources;
using TAVO::Migration::ImageMetadata;
using TAVO::IK::SDLGL::Texture;
using TAVO::IK::SDLGL::TextureException;

namespace {

class PartDrawingTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (!HasFatalFailure())
            shaders = std::make_unique<ShaderSet>(Resources::package(), false);
    }
    void TearDown() override {
        shaders.reset();
        GLTest::TearDown();
    }

    static GLint bound(GLenum unit) {
        GLint active = 0, name = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glActiveTexture(unit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        glActiveTexture(GLenum(active));
        return name;
    }

    static std::vector<std::uint8_t> download(const Texture& texture, ImageMetadata& metadata) {
        TAVO::IncrementalBuffer pixels;
        texture.download(pixels, metadata);
        const TAVO::Buffer& bytes = pixels;
        return std::vector<std::uint8_t>(bytes.data(), bytes.data() + bytes.size());
    }

    std::unique_ptr<ShaderSet> shaders;
    MemoryLog log;
    const Picture white = flatPicture(400, 300, 255, 255, 255);
};

} // namespace

// The picture goes to unit 0 whatever unit was active before, the light map
// to unit 1, and unit 0 is active afterwards for the textures drawn next.
TEST_F(PartDrawingTest, UsingThePartsLeavesTextureUnitZeroActive) {
    for (Lighting lighting : {Lighting::none, Lighting::map}) {
        Game game(white, 12, false);
        PartDrawing parts(*shaders, lighting);
        parts.load(game.meshes, *game.puzzle, game.size, game.setup.picture());
        glActiveTexture(GL_TEXTURE3);
        parts.use();
        GLint active = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        EXPECT_EQ(active, GL_TEXTURE0);
        EXPECT_EQ(bound(GL_TEXTURE0), GLint(parts.picture()->id()));
        if (lighting == Lighting::map) {
            EXPECT_EQ(bound(GL_TEXTURE1), GLint(parts.lightMap().id()));
        }
        EXPECT_EQ(bound(GL_TEXTURE3), 0);
    }
}

TEST_F(PartDrawingTest, TheLightMapHoldsThePaintedCutsOfThePuzzle) {
    Game game(white, 12, false);
    PartDrawing parts(*shaders, Lighting::map);
    parts.load(game.meshes, *game.puzzle, game.size, game.setup.picture());
    ImageMetadata metadata;
    const std::vector<std::uint8_t> bytes = download(parts.lightMap(), metadata);
    EXPECT_EQ(metadata.width(), std::uint32_t(game.size[0]));
    EXPECT_EQ(metadata.height(), std::uint32_t(game.size[1]));
    LightMapPainter painter(metadata.width(), metadata.height());
    painter.paintPuzzle(*game.puzzle);
    EXPECT_EQ(bytes, painter.bytes());
    // Far from every cut (the middle of the bottom-left piece) nothing is near.
    const std::uint8_t* middle = painter.pixel(52, 52);
    EXPECT_EQ(middle[1], 255);
    // The border at x = 0 runs up: the pixels beside it point right, at distance 0.5.
    EXPECT_EQ(int(painter.pixel(0, 150)[0]), 0);
    EXPECT_EQ(int(painter.pixel(0, 150)[1]), 21);
}

// The developer's dump writes the map and prints the recipe; a map that
// cannot be written is logged and the game loads all the same.
TEST_F(PartDrawingTest, TheDeveloperDumpCannotStopAGame) {
    KestruneTest::TempFolder folder;
    Game game(white, 12, false);
    PartDrawing parts(*shaders, Lighting::map);
    std::ostringstream out;
    parts.setLightMapDump(folder.file("lightmap.dat"), out, log);
    parts.load(game.meshes, *game.puzzle, game.size, game.setup.picture());
    std::ifstream file(folder.file("lightmap.dat"), std::ios::binary);
    const std::vector<std::uint8_t> stored((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ImageMetadata metadata;
    EXPECT_EQ(stored, download(parts.lightMap(), metadata));
    EXPECT_NE(out.str().find("data = fread(f, Inf, 'uint8');\n"), std::string::npos);

    std::ostringstream nothing;
    PartDrawing failing(*shaders, Lighting::map);
    failing.setLightMapDump(folder.file("missing/lightmap.dat"), nothing, log);
    EXPECT_NO_THROW(failing.load(game.meshes, *game.puzzle, game.size, game.setup.picture()));
    EXPECT_TRUE(failing.loaded());
    EXPECT_EQ(nothing.str(), "");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("missing/lightmap.dat"), std::string::npos);
}

// Grey with alpha and 1-bit pictures decode but were no textures before.
TEST_F(PartDrawingTest, PicturesOfEveryDecodedFormLoad) {
    Game game(white, 12, false);
    Picture greyAlpha;
    greyAlpha.metadata() = ImageMetadata(4, 2, 2, 16);
    greyAlpha.buffer().setSize(16);
    for (std::uint32_t i = 0; i < 16; ++i)
        greyAlpha.buffer().data()[i] = std::uint8_t(i % 2 ? 255 : 100);
    Picture bits;
    bits.metadata() = ImageMetadata(8, 1, 1, 1);
    bits.buffer().setSize(1);
    bits.buffer().data()[0] = 0xF0;
    for (const Picture& picture : {greyAlpha, bits}) {
        PartDrawing parts(*shaders, Lighting::none);
        ASSERT_NO_THROW(parts.load(game.meshes, *game.puzzle, game.size, picture));
        ImageMetadata metadata;
        const std::vector<std::uint8_t> texels = download(*parts.picture(), metadata);
        EXPECT_EQ(metadata.channels(), picture.metadataConst().channels() == 2 ? 4u : 3u);
        EXPECT_EQ(texels[0], picture.metadataConst().channels() == 2 ? 100 : 255);
    }
    // A picture without pixels shows white.
    PartDrawing parts(*shaders, Lighting::none);
    parts.load(game.meshes, *game.puzzle, game.size, Picture());
    ImageMetadata metadata;
    EXPECT_EQ(download(*parts.picture(), metadata), (std::vector<std::uint8_t>{255, 255, 255}));
}

// A picture or light map larger than the largest texture is a clear error
// the view turns into a failed game; nothing of the game loaded before is
// drawn for the parts of the new one.
TEST_F(PartDrawingTest, TexturesBeyondTheLimitAreRefused) {
    Game game(white, 12, false);
    PartDrawing parts(*shaders, Lighting::map);
    const std::uint32_t limit = PictureTexture::sideLimit();
    parts.load(game.meshes, *game.puzzle, game.size, white);
    EXPECT_THROW(parts.load(game.meshes, *game.puzzle, game.size, flatPicture(limit + 1, 1, 1, 2, 3)),
                 TextureException);
    EXPECT_FALSE(parts.loaded());
    EXPECT_TRUE(parts.ranges().empty());
    parts.load(game.meshes, *game.puzzle, game.size, white);
    EXPECT_THROW(parts.load(game.meshes, *game.puzzle, TAVO::Tuple<2, float>(float(limit) * 2, 10), white),
                 TextureException);
    EXPECT_FALSE(parts.loaded());
}

// A damaged save's puzzle size of 0 counts as 1: no division by zero.
TEST_F(PartDrawingTest, APuzzleSizeOfZeroCountsAsOne) {
    Game game(white, 12, false);
    PartDrawing parts(*shaders, Lighting::map);
    parts.load(game.meshes, *game.puzzle, TAVO::Tuple<2, float>(0, 0), white);
    EXPECT_EQ(parts.puzzleSize()[0], 1.0f);
    EXPECT_EQ(parts.puzzleSize()[1], 1.0f);
    ImageMetadata metadata;
    EXPECT_EQ(download(parts.lightMap(), metadata).size(), 4u);
}

// Meshes without edge records cannot feed the attribute program: refused
// instead of read beyond their buffer.
TEST_F(PartDrawingTest, MeshesWithoutEdgeRecordsAreRefusedForAttributeLighting) {
    Game plain(white, 12, false);
    PartDrawing parts(*shaders, Lighting::attribute);
    EXPECT_THROW(parts.load(plain.meshes, *plain.puzzle, plain.size, white), TAVO::UnexpectedValueException);
    EXPECT_FALSE(parts.loaded());
}

TEST_F(PartDrawingTest, JoinedPartsDrawTheRangesOfTheirParts) {
    Game game(white, 12, true);
    PartDrawing parts(*shaders, Lighting::attribute);
    parts.load(game.meshes, *game.puzzle, game.size, white);
    const auto before = parts.ranges();
    parts.partsJoined({3, 7}, 12);
    const auto& after = parts.ranges();
    ASSERT_EQ(after.at(12).size(), 2u);
    EXPECT_EQ(after.at(12)[0].first, before.at(3)[0].first);
    EXPECT_EQ(after.at(12)[1].first, before.at(7)[0].first);
    EXPECT_EQ(after.at(3).size(), 1u);
    // The next join carries both ranges on; an unknown part adds nothing.
    parts.partsJoined({12, 40}, 13);
    EXPECT_EQ(after.at(13).size(), 2u);
    EXPECT_TRUE(after.at(40).empty());
}
