#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "foundation/packages/FSPackage.h"
#include "sdlgl/Application.h"
#include "sdlgl/FrameBufferObject.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/Texture.h"

namespace KestruneGLTest {


// Fixture of every test that draws: an application with a small window and
// its context, made for each test and destroyed after it.
class GLTest : public ::testing::Test {
public:
    static constexpr std::uint32_t windowWidth = 160;
    static constexpr std::uint32_t windowHeight = 120;

    // The parameters SetUp uses; a test may make its own application with them.
    static TAVO::IK::SDLGL::Application::Parameters parameters();
    // The same for a window of the size that cannot be resized.
    static TAVO::IK::SDLGL::Application::Parameters parameters(std::uint32_t width, std::uint32_t height);
    // The window's back buffer of the size, RGBA, bottom row first.
    static std::vector<std::uint8_t> windowPixels(std::uint32_t width, std::uint32_t height);
    // Whether an X display is named. The fixture fails without one; a test
    // of its own skips, telling noDisplay.
    static bool haveDisplay();
    static constexpr const char* noDisplay =
        "The OpenGL tests need an X display: run them through ./build.sh test, which starts one, or set DISPLAY.";
    // The X server is shared with the other tests: a window of theirs that
    // closes over this one makes SDL report the real pointer's place here.
    // Installed as the event filter, it lets through only the pointer events
    // a test pushes itself (window 0).
    static int SDLCALL pushedPointerOnly(void*, SDL_Event* event);

protected:
    void SetUp() override;
    void TearDown() override;
    // The window SetUp opens; a fixture may ask for another.
    virtual TAVO::IK::SDLGL::Application::Parameters windowParameters() const { return parameters(); }

    TAVO::IK::SDLGL::Application& application() { return *application_; }

    std::unique_ptr<TAVO::IK::SDLGL::Application> application_;
};

// Counts the events that reach SDL's queue while it lives (past the event
// filter; not the marks SDL puts at the end of each look at the queue), so
// that a test can tell a quiet stretch from one another window disturbed.
class EventCount {
public:
    EventCount() { SDL_AddEventWatch(watch, this); }
    ~EventCount() { SDL_DelEventWatch(watch, this); }
    EventCount(const EventCount&) = delete;
    EventCount& operator=(const EventCount&) = delete;
    std::uint64_t count() const { return count_.load(); }

private:
    static int SDLCALL watch(void* self, SDL_Event* event) {
        if (event->type != SDL_POLLSENTINEL)
            static_cast<EventCount*>(self)->count_.fetch_add(1);
        return 0;
    }
    std::atomic<std::uint64_t> count_{0};
};

// The source tree's resources, as the program's package interface serves them.
class Resources {
public:
    static const TAVO::FSPackage& package();
};

// An RGBA8 texture attached to a frame buffer of its size, bound for drawing.
class RenderTarget {
public:
    RenderTarget(std::uint32_t width, std::uint32_t height);

    void bind() const { frameBuffer.bind(); }
    // The bound read frame buffer's pixels, RGBA, bottom row first.
    std::vector<std::uint8_t> read() const;
    // One pixel (x from the left, y from the bottom) of a read.
    static const std::uint8_t* pixel(const std::vector<std::uint8_t>& pixels, std::uint32_t width, std::uint32_t x,
                                     std::uint32_t y) {
        return pixels.data() + (std::size_t(y) * width + x) * 4;
    }
    // Writes the pixels as an RGBA PNG file, for looking at what was drawn.
    void writePNG(const std::string& path) const;

    std::uint32_t width;
    std::uint32_t height;
    TAVO::IK::SDLGL::Texture texture;
    TAVO::IK::SDLGL::FrameBufferObject frameBuffer;
};

} // namespace KestruneGLTest
