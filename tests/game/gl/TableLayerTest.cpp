// Frames of a 120-piece game drawn as the view draws them (the table, a
// translucent menu shape over it, the carried part, through the window or
// the antialiasing target), frame after frame while the table changes under
// them, compared pixel for pixel with the same frames drawn the plain way
// written out here: every part of the tray drawn, every frame, nothing kept.
// The table layer copies the table of the last frame and parts wholly
// outside the view are skipped; neither may change a pixel.
#include <GL/glew.h>

#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "Drawing.h"
#include "foundation/exceptions/Exception.h"
#include "game/FrameTarget.h"
#include "game/PartProgram.h"
#include "game/ShaderSet.h"
#include "game/TableDrawing.h"
#include "geometry/Polygon.h"
#include "sdlgl/Checks.h"
#include "ui/Shape.h"

using namespace GameGLTest;
using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;

namespace {

constexpr std::uint32_t width = 320;
constexpr std::uint32_t height = 240;
using Pixels = std::vector<std::uint8_t>;

// Bands of colour crossed by a fine checker: a part drawn with the wrong
// piece of the picture, or a picture drawn stale, shows.
Picture patternedPicture(std::uint8_t tint) {
    Picture picture = flatPicture(480, 360, 0, 0, 0);
    std::uint8_t* p = picture.buffer().data();
    for (std::uint32_t y = 0; y < 360; ++y)
        for (std::uint32_t x = 0; x < 480; ++x, p += 3) {
            const bool dark = ((x / 3) + (y / 3)) % 2 == 0;
            p[0] = std::uint8_t(x * 255 / 479);
            p[1] = std::uint8_t(dark ? y * 200 / 359 : 255 - y * 200 / 359);
            p[2] = std::uint8_t(tint + (dark ? 0 : 40));
        }
    return picture;
}

class TableLayerTest : public DrawingTest {
protected:
    TableLayerTest() : DrawingTest(width, height, true) {}

    TAVO::IK::SDLGL::Application::Parameters windowParameters() const override { return parameters(width, height); }
    void TearDown() override {
        overlay.reset();
        drawing.reset();
        DrawingTest::TearDown();
    }

    // A drawing of the game with the lighting, and the translucent shape
    // that stands for the menu: a textured square over the upper right
    // quarter of the window.
    void load(Game& game, Lighting lighting) {
        drawing = std::make_unique<TableDrawing>(camera, *shaders, settings, log, lighting);
        drawing->puzzleLoaded(game.meshes, *game.puzzle, game.size, game.setup.picture());
        Polygon square;
        const Hyperrectangle<2, float> unit(Point<2, float>(0.0f, 0.0f), Tuple<2, float>(1.0f, 1.0f));
        square.insertRectangle(unit);
        overlay = std::make_unique<Shape>(shaders->shapeShader(), square, unit, Tuple<2, float>(1.0f, 1.0f),
                                          TAVO::Color(0.9f, 0.5f, 0.2f), drawing->background().patternTexture(3),
                                          Hyperrectangle<2, float>(Point<2, float>(0.0f, 0.0f),
                                                                   Tuple<2, float>(3.0f, 2.0f)));
        overlay->setColor(TAVO::Color(0.9f, 0.5f, 0.2f), 0.6f);
    }

    // One frame through the target: the table as drawTable draws it (or
    // as the plain drawing does), the menu's shape, the carried part. The
    // view leaves clearing the frame to drawTable: what the target held
    // before (red here) must not show.
    Pixels frame(FrameTarget& target, const Table& table, const std::function<void()>& drawTable, bool cleared) {
        target.begin(cleared);
        if (!cleared) {
            glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        drawTable();
        overlay->draw();
        if (carried && table.parts().count(*carried) != 0)
            drawing->drawCarriedPart(table, *carried, carriedPose, pose);
        target.end();
        return windowPixels(width, height);
    }

    // The table drawn the plain way: the background, then every part of the
    // tray but the carried one, bottom to top, each with its own matrix.
    void plainTable(const Table& table) {
        if (table.isEmpty())
            return;
        Tray::Background background = table.background();
        if (table.isComplete())
            background = Tray::Background(Tray::Background::noPreview, background.colour(), background.pattern());
        TrayBackground& cloth = drawing->background();
        cloth.setBackground(background);
        cloth.setPose(pose);
        cloth.draw();
        const Tray& tray = table.tray(0);
        const PartDrawing& parts = drawing->parts();
        const PartProgram& program = parts.use();
        if (wireframe)
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        for (Tray::PartIterator it = tray.parts(); it.valid(); it.next()) {
            const std::uint32_t part = it.current();
            if (carried && *carried == part)
                continue;
            program.setTransformation(camera.tableToClipMatrix(table.part(part).bounds(), pose, tray.partPose(part)));
            const auto ranges = parts.ranges().find(part);
            if (ranges != parts.ranges().end())
                for (const PartDrawing::DrawRange& range : ranges->second)
                    parts.vertexArray().drawRange(range.first, range.count);
        }
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        TAVO::IK::SDLGL::checkGLError();
    }

    // Three frames of the table as it is, the carried part a little further
    // each time (drawn, kept, copied), each equal to the plain frame.
    void expectFramesAsPlain(FrameTarget& target, const Table& table, const std::string& what) {
        for (int i = 0; i < 3; ++i) {
            const Point<2, float> next(carriedPose.position()[0] + 3.0f, carriedPose.position()[1] + 2.0f);
            carriedPose = Tray::Pose(next, carriedPose.orientation());
            const Pixels layered =
                frame(target, table, [&] { drawing->drawTable(table, 0, pose, carried, wireframe); }, false);
            keptEver = keptEver || drawing->layer().holds();
            const Pixels plain = frame(target, table, [&] { plainTable(table); }, true);
            // Nothing the drawing did was refused.
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << what;
            const std::string name = what + "-" + std::to_string(i);
            if (const char* folder = std::getenv("KESTRUNE_DRAWINGS"); folder != nullptr)
                writePNG(std::string(folder) + "/layer-" + name + ".png", layered);
            std::size_t differing = 0;
            for (std::size_t k = 0; k < plain.size(); k += 4)
                differing += plain[k] != layered[k] || plain[k + 1] != layered[k + 1] || plain[k + 2] != layered[k + 2];
            EXPECT_EQ(differing, 0u) << name << ": pixels that differ from the plain frame";
            EXPECT_NE(plain, blank) << name << ": the frame shows something";
        }
    }

    static void writePNG(const std::string& path, const Pixels& pixels) {
        KestruneGLTest::RenderTarget target(width, height);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        target.writePNG(path);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    // Every change a table goes through while it is played, each followed
    // by frames compared with the plain ones.
    void playThrough(Lighting lighting, bool antialiasing) {
        const std::string mode = std::string(antialiasing ? "aa-" : "") + std::to_string(int(lighting));
        Game game(patternedPicture(0), 120, lighting == Lighting::attribute);
        ASSERT_GE(game.table.parts().size(), 100u);
        load(game, lighting);
        FrameTarget target(antialiasing);
        target.resize(Tuple<2, unsigned int>(width, height));
        Table& table = game.table;
        pose = wholeTray(table);
        wireframe = false;
        carried = table.tray(0).parts().current();
        carriedPose = table.tray(0).partPose(*carried);
        blank = Pixels(std::size_t(width) * height * 4, 0);

        expectFramesAsPlain(target, table, mode + "-start");

        // The same cut of another picture loaded for the same table: only
        // what the parts show differs.
        Game other(patternedPicture(200), 120, lighting == Lighting::attribute);
        drawing->puzzleLoaded(other.meshes, *other.puzzle, other.size, other.setup.picture());
        expectFramesAsPlain(target, table, mode + "-reloaded");

        // A new colour, then each pattern and preview of the background.
        table.setBackground(Tray::Background(Tray::Background::noPreview, TAVO::Color(0.2f, 0.7f, 0.9f), 0));
        expectFramesAsPlain(target, table, mode + "-colour");
        const unsigned int previews[] = {Tray::Background::blankPreview, Tray::Background::picturePreview,
                                         Tray::Background::noPreview, Tray::Background::picturePreview};
        for (unsigned int pattern = 0; pattern < 4; ++pattern) {
            table.setBackground(Tray::Background(previews[pattern], table.background().colour(), pattern));
            expectFramesAsPlain(target, table, mode + "-pattern" + std::to_string(pattern));
        }
        table.setBackground(Tray::Background(Tray::Background::blankPreview, table.background().colour(), 3));
        expectFramesAsPlain(target, table, mode + "-preview");

        // A part moved on the tray: it goes to the top at its new place.
        Tray::PartIterator it = table.tray(0).parts();
        it.next();
        const std::uint32_t moved = it.current();
        table.movePart(0, 0, moved, Tray::Pose(Point<2, float>(5.0f, -3.0f), TAVO::Angle(0.0))).action().apply(table);
        expectFramesAsPlain(target, table, mode + "-moved");
        // Moved again, on top already: only its place changes.
        table.movePart(0, 0, moved, Tray::Pose(Point<2, float>(-25.0f, 9.0f), TAVO::Angle(0.0))).action().apply(table);
        expectFramesAsPlain(target, table, mode + "-moved-again");

        wireframe = true;
        expectFramesAsPlain(target, table, mode + "-wireframe");
        wireframe = false;
        expectFramesAsPlain(target, table, mode + "-filled");

        // Zoomed in on a corner: most parts lie outside the view.
        pose = TrayPose(TAVO::Vector<2, float>(pose.position()[0] + 150.0f, pose.position()[1] + 90.0f),
                        pose.level() + 1.5f);
        expectFramesAsPlain(target, table, mode + "-zoomed");
        pose = wholeTray(table);

        // Two neighbours joined into one part.
        std::uint32_t a = 0, b = 0;
        ASSERT_TRUE(neighbours(table, *carried, a, b));
        const Tray::Pose joinedPose = table.tray(0).matchingPose(a, b, table.tray(0).partPose(b));
        const std::uint32_t joined = table.joinParts(0, a, joinedPose, {b});
        drawing->partsJoined({b, a}, joined);
        expectFramesAsPlain(target, table, mode + "-joined");

        // The drag ends: the carried part is drawn on its tray again.
        carried.reset();
        expectFramesAsPlain(target, table, mode + "-dropped");
    }

    // Whether some frame of a play-through copied its table into the layer.
    bool keptEver = false;

    // Two parts of the tray with pieces that meet, neither of them the one left out.
    static bool neighbours(const Table& table, std::uint32_t leftOut, std::uint32_t& a, std::uint32_t& b) {
        for (const auto& [id, part] : table.parts())
            for (const auto& [otherId, other] : table.parts())
                if (id != otherId && id != leftOut && otherId != leftOut && other.touches(part.neighbours())) {
                    a = id, b = otherId;
                    return true;
                }
        return false;
    }

    std::unique_ptr<TableDrawing> drawing;
    std::unique_ptr<Shape> overlay;
    TAVO::Parameters settings = configuration();
    MemoryLog log;
    TrayPose pose;
    bool wireframe = false;
    std::optional<std::uint32_t> carried;
    Tray::Pose carriedPose;
    Pixels blank;
};

} // namespace

TEST_F(TableLayerTest, FramesWithoutAntialiasingAreThoseOfThePlainDrawing) {
    for (Lighting lighting : {Lighting::none, Lighting::map, Lighting::attribute})
        playThrough(lighting, false);
    EXPECT_TRUE(keptEver);
}

TEST_F(TableLayerTest, FramesWithAntialiasingAreThoseOfThePlainDrawing) {
    for (Lighting lighting : {Lighting::none, Lighting::map, Lighting::attribute})
        playThrough(lighting, true);
    EXPECT_TRUE(keptEver);
}

// While the table stays as it was, only the first two frames draw it: the
// second into the layer, later ones copy it. Any change draws it again.
TEST_F(TableLayerTest, OnlyAStillTableIsKeptAndEveryChangeDrawsItAgain) {
    Game game(patternedPicture(0), 120, false);
    load(game, Lighting::none);
    FrameTarget target(false);
    target.resize(Tuple<2, unsigned int>(width, height));
    pose = wholeTray(game.table);
    const auto draw = [&] {
        target.begin(false);
        EXPECT_TRUE(drawing->drawTable(game.table, 0, pose, std::nullopt, false));
        target.end();
    };
    draw();
    EXPECT_FALSE(drawing->layer().holds());
    draw();
    EXPECT_TRUE(drawing->layer().holds());
    draw();
    EXPECT_TRUE(drawing->layer().holds());
    pose.setLevel(pose.level() + 0.25f);
    draw();
    EXPECT_FALSE(drawing->layer().holds()) << "a new pose";
    draw();
    EXPECT_TRUE(drawing->layer().holds());
    // Another target: the window's viewport changed.
    target.resize(Tuple<2, unsigned int>(width / 2, height));
    draw();
    EXPECT_FALSE(drawing->layer().holds()) << "a new viewport";
    // An empty table draws nothing and keeps nothing: the view clears the
    // frame itself then.
    Table empty;
    target.begin();
    EXPECT_FALSE(drawing->drawTable(empty, 0, pose, std::nullopt, false));
    target.end();
    EXPECT_FALSE(drawing->layer().holds());
    draw();
    EXPECT_FALSE(drawing->layer().holds()) << "the table after an empty one";
}

namespace {

// A window of four samples a pixel, as a driver's settings may make one
// whatever the game asks for. SDL takes the request between the start of
// its video and the window's creation: the fixture starts the video first,
// and the application's end of SDL ends it again.
class MultisampledTableLayerTest : public TableLayerTest {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_EQ(SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1), 0) << SDL_GetError();
        ASSERT_EQ(SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 4), 0) << SDL_GetError();
        TableLayerTest::SetUp();
        if (HasFatalFailure())
            return;
        GLint sampleBuffers = 0, samples = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
        glGetIntegerv(GL_SAMPLES, &samples);
        ASSERT_EQ(sampleBuffers, 1) << "the window is not multisampled";
        ASSERT_GE(samples, 2);
    }
    void TearDown() override {
        TableLayerTest::TearDown();
        // Nothing left to end when the application ended SDL.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

} // namespace

// Every frame draws the table whole into a multisampled window: no blit may
// copy into it, so the layer is never kept there.
TEST_F(MultisampledTableLayerTest, FramesWithoutAntialiasingDrawTheTableEveryTime) {
    try {
        playThrough(Lighting::map, false);
    } catch (const TAVO::Exception& e) {
        FAIL() << e;
    }
    EXPECT_FALSE(keptEver) << "the layer was kept from a multisampled window";
}

// The window antialiases itself: the frame is drawn straight into it, the
// target of twice its size being one that no blit could bring down into it.
TEST_F(MultisampledTableLayerTest, FramesWithAntialiasingAreDrawnStraightIntoTheWindow) {
    try {
        playThrough(Lighting::none, true);
    } catch (const TAVO::Exception& e) {
        FAIL() << e;
    }
    EXPECT_FALSE(keptEver) << "the layer was kept from a multisampled window";
    FrameTarget target(true);
    target.resize(Tuple<2, unsigned int>(width, height));
    EXPECT_FALSE(target.frameBuffer().isCreated());
}

// The premise of skipping parts: every vertex of a part's meshes lies
// within the part's bounds, in both kinds of mesh.
TEST_F(TableLayerTest, EveryMeshVertexLiesWithinItsPartsBounds) {
    for (bool attribute : {false, true}) {
        Game game(patternedPicture(0), 120, attribute);
        const std::vector<float>& positions = game.meshes.positions();
        const std::vector<std::uint32_t>& indices = game.meshes.indices();
        std::size_t checked = 0;
        for (const auto& [id, ranges] : game.meshes.ranges()) {
            const Hyperrectangle<2, float> bounds = game.table.part(id).bounds();
            for (const PartMeshSet::DrawRange& range : ranges)
                for (std::uint32_t k = range.first; k < range.first + range.count; ++k) {
                    const std::uint32_t vertex = attribute ? k : indices.at(k);
                    const float x = positions.at(2 * vertex), y = positions.at(2 * vertex + 1);
                    EXPECT_GE(x, bounds.origin()[0] - 1e-3f) << id;
                    EXPECT_LE(x, bounds.origin()[0] + bounds.extent()[0] + 1e-3f) << id;
                    EXPECT_GE(y, bounds.origin()[1] - 1e-3f) << id;
                    EXPECT_LE(y, bounds.origin()[1] + bounds.extent()[1] + 1e-3f) << id;
                    ++checked;
                }
        }
        EXPECT_GT(checked, 1000u);
    }
}

// A part is skipped only when its box, widened by eight pixels, misses the
// clip square.
TEST(TableDrawingCulling, APartIsSkippedOnlyWhenItLiesWhollyOutsideTheView) {
    const Tuple<2, unsigned int> viewport(200, 100);
    const Hyperrectangle<2, float> bounds(Point<2, float>(10.0f, 20.0f), Tuple<2, float>(30.0f, 40.0f));
    // Clip x = 0.01 * (x - 10) + ox, clip y = 0.02 * (y - 20) + oy: the
    // part spans 0.3 wide and 0.8 high from (ox, oy); eight pixels are 0.08
    // wide and 0.16 high.
    const auto at = [](float ox, float oy) {
        return TableDrawing::Matrix3({0.01f, 0.0f, ox - 0.1f, 0.0f, 0.02f, oy - 0.4f, 0.0f, 0.0f, 1.0f});
    };
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(0.0f, 0.0f), viewport));
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(0.9f, 0.9f), viewport)) << "reaching into the view";
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(1.05f, 0.0f), viewport)) << "within the margin on the right";
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(-1.35f, 0.0f), viewport)) << "within the margin on the left";
    EXPECT_FALSE(TableDrawing::mayShow(bounds, at(1.1f, 0.0f), viewport)) << "beyond the right";
    EXPECT_FALSE(TableDrawing::mayShow(bounds, at(-1.4f, 0.0f), viewport)) << "beyond the left";
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(0.0f, 1.15f), viewport)) << "within the margin above";
    EXPECT_FALSE(TableDrawing::mayShow(bounds, at(0.0f, 1.2f), viewport)) << "above";
    EXPECT_FALSE(TableDrawing::mayShow(bounds, at(0.0f, -2.0f), viewport)) << "below";
    // A map that turns, or one that is not finite, is left to the driver.
    EXPECT_TRUE(TableDrawing::mayShow(
        bounds, TableDrawing::Matrix3({0.0f, 0.01f, 5.0f, 0.01f, 0.0f, 5.0f, 0.0f, 0.0f, 1.0f}), viewport));
    EXPECT_TRUE(TableDrawing::mayShow(bounds, at(std::nanf(""), 5.0f), viewport));
}
