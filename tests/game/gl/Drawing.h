#pragma once

// What the drawing tests of the play view share: a memory log, the
// configuration, a game of a flat picture laid out on its table with its
// meshes, the fixture with the shader set and a camera, and pixel look-ups
// of the camera's view.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "foundation/streams/WriteStream.h"
#include "game/Camera.h"
#include "game/ShaderSet.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "support/gl/GLTest.h"

namespace GameGLTest {

// Every entry as one line of text.
class MemoryLog : public TAVO::Log {
public:
    std::vector<std::string> lines;

    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(*this); }

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        explicit Session(MemoryLog& log) : log_(log) {}
        ~Session() override { log_.lines.push_back(text_); }
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void* source, std::uint64_t count) override {
            text_.append(static_cast<const char*>(source), std::size_t(count));
        }

    private:
        MemoryLog& log_;
        std::string text_;
    };
};

// The settings the drawing reads, at their defaults.
inline TAVO::Parameters configuration() {
    TAVO::Parameters parameters;
    parameters.set("tray_pattern_size", "64");
    parameters.set("tray_pattern_strength", "0.1");
    parameters.set("tray_preview_strength", "0.2");
    return parameters;
}

// A picture of one colour.
inline Picture flatPicture(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    picture.buffer().setSize(width * height * 3);
    std::uint8_t* p = picture.buffer().data();
    for (std::uint32_t i = 0; i < width * height; ++i, p += 3)
        p[0] = r, p[1] = g, p[2] = b;
    return picture;
}

// A new game as the workspace makes it: the set-up's cut of the picture,
// scattered on the table, with the meshes of its parts.
struct Game {
    Setup setup;
    std::unique_ptr<Puzzle> puzzle;
    Table table;
    PartMeshSet meshes;
    TAVO::Tuple<2, float> size;

    Game(const Picture& picture, std::uint32_t pieces, bool attributeLighting) {
        setup.setPicture("flat.png", picture);
        setup.setRequestedPieceCount(pieces);
        size = setup.puzzleSize();
        puzzle = setup.generate();
        table.scatter(puzzle.get(), size);
        meshes.build(*puzzle, table, attributeLighting);
    }

    // The table point at the middle of the part's bounds as it lies on tray 0.
    TAVO::Point<2, float> middleOf(std::uint32_t part) const {
        const Tray::Pose pose = table.tray(0).partPose(part);
        const TAVO::Hyperrectangle<2, float> bounds = table.part(part).bounds();
        return TAVO::Point<2, float>(pose.position()[0] + bounds.extent()[0] / 2,
                                     pose.position()[1] + bounds.extent()[1] / 2);
    }
};

// The fixture of a drawing of the table or its parts: the game's shader set
// and a camera over a viewport of the drawing's size.
class DrawingTest : public KestruneGLTest::GLTest {
protected:
    DrawingTest(std::uint32_t width, std::uint32_t height, bool strictShaders)
        : width_(width), height_(height), strictShaders_(strictShaders) {}

    void SetUp() override {
        GLTest::SetUp();
        if (HasFatalFailure())
            return;
        shaders = std::make_unique<ShaderSet>(KestruneGLTest::Resources::package(), strictShaders_);
        camera.setViewport(TAVO::Tuple<2, unsigned int>(width_, height_));
    }
    void TearDown() override {
        shaders.reset();
        GLTest::TearDown();
    }

    // The pose that shows every part of tray 0 around its middle, with ten
    // pixels or more to spare on every side of the viewport.
    TrayPose wholeTray(const Table& table) const {
        const TAVO::Hyperrectangle<2, float> bounds = table.tray(0).bounds();
        const float scale = std::max(bounds.extent()[0] / (width_ - 20), bounds.extent()[1] / (height_ - 20));
        return TrayPose(TAVO::Vector<2, float>(-(bounds.origin()[0] + bounds.extent()[0] / 2),
                                               -(bounds.origin()[1] + bounds.extent()[1] / 2)),
                        -std::log2(scale));
    }

    std::unique_ptr<ShaderSet> shaders;
    Camera camera;

private:
    std::uint32_t width_;
    std::uint32_t height_;
    bool strictShaders_;
};

// The pixel (from the left, from the bottom) that shows the table point.
inline std::pair<std::uint32_t, std::uint32_t> pixelOf(const Camera& camera, const TrayPose& pose,
                                                       const TAVO::Point<2, float>& point) {
    const float s = std::exp2(pose.level());
    const auto& size = camera.viewport();
    return {std::uint32_t(std::lround((point[0] + pose.position()[0]) * s + float(size[0]) / 2 - 0.5f)),
            std::uint32_t(std::lround((point[1] + pose.position()[1]) * s + float(size[1]) / 2 - 0.5f))};
}

} // namespace GameGLTest
