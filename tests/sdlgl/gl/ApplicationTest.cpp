#include <GL/glew.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ServerWindow.h"
#include "support/gl/GLTest.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/threads/Log.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Application.h"
#include "sdlgl/SDLException.h"
#include "sdlgl/Surface.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;

namespace {

// Records every handler call as a short text.
class Recorder : public Application::EventHandler {
public:
    std::vector<std::string> calls;

    void resized(std::int32_t w, std::int32_t h) override {
        calls.push_back("resized " + std::to_string(w) + "x" + std::to_string(h));
    }
    void redraw() override { calls.push_back("redraw"); }
    void keyDown(const SDL_KeyboardEvent& e) override { calls.push_back("keyDown " + std::to_string(e.keysym.sym)); }
    void keyUp(const SDL_KeyboardEvent& e) override { calls.push_back("keyUp " + std::to_string(e.keysym.sym)); }
    void mouseMotion(const SDL_MouseMotionEvent& e) override {
        calls.push_back("mouseMotion " + std::to_string(e.x) + "," + std::to_string(e.y));
    }
    void mouseButtonDown(const SDL_MouseButtonEvent& e) override {
        calls.push_back("mouseButtonDown " + std::to_string(e.button));
    }
    void mouseButtonUp(const SDL_MouseButtonEvent& e) override {
        calls.push_back("mouseButtonUp " + std::to_string(e.button));
    }
    void mouseWheel(const SDL_MouseWheelEvent& e) override { calls.push_back("mouseWheel " + std::to_string(e.y)); }
    void textInput(const SDL_TextInputEvent& e) override { calls.push_back(std::string("textInput ") + e.text); }
    void joystickButtonDown(const SDL_JoyButtonEvent&) override { calls.push_back("joystickButtonDown"); }
    void controllerButtonDown(const SDL_ControllerButtonEvent&) override { calls.push_back("controllerButtonDown"); }

    // The calls from the marker key (code 1) on, the marker left out.
    std::vector<std::string> afterMarker() const {
        std::vector<std::string> result;
        bool seen = false;
        for (const std::string& c : calls) {
            if (c == "keyDown 1") {
                seen = true;
                continue;
            }
            if (seen)
                result.push_back(c);
        }
        return result;
    }
};

void pushKey(Uint32 type, SDL_Keycode code) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = code;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void pushWindowEvent(Uint8 event, Sint32 a, Sint32 b) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.data1 = a;
    e.window.data2 = b;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

void pushType(Uint32 type) {
    SDL_Event e{};
    e.type = type;
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
}

std::vector<GLint> currentViewport() {
    std::vector<GLint> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// Lets the window system deliver what it has for the new window, then drains it.
void settle(Application& application) {
    for (int i = 0; i < 3; ++i) {
        SDL_Delay(20);
        application.processEvents();
    }
}

// A log that keeps its entries in memory.
class MemoryLog : public Log {
public:
    std::vector<std::string> lines;

    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(*this); }

private:
    class Session : public EntrySession, public WriteStream {
    public:
        explicit Session(MemoryLog& log) : log_(log) {}
        ~Session() override { log_.lines.push_back(text_); }
        WriteStream& stream() override { return *this; }
        void write(const void* source, std::uint64_t count) override {
            text_.append(static_cast<const char*>(source), std::size_t(count));
        }

    private:
        MemoryLog& log_;
        std::string text_;
    };
};

// Sets an environment variable for the scope and restores it after.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace

// ---- The event pump -----------------------------------------------------------

TEST_F(GLTest, FirstPumpReportsTheWindowSizeBeforeAnyEvent) {
    Recorder recorder;
    application().setEventHandler(&recorder);
    pushKey(SDL_KEYDOWN, 7);
    application().processEvents();
    ASSERT_GE(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0], "resized 160x120");
    EXPECT_NE(std::find(recorder.calls.begin(), recorder.calls.end(), "keyDown 7"), recorder.calls.end());
    application().processEvents();
    for (std::size_t i = 1; i < recorder.calls.size(); ++i)
        EXPECT_NE(recorder.calls[i].rfind("resized", 0), 0u) << recorder.calls[i];
}

// The pump tells how many events it took, the ones no handler hears too,
// so that the main loop knows the window may need drawing.
TEST_F(GLTest, ThePumpCountsTheEventsItTakes) {
    Recorder recorder;
    application().setEventHandler(&recorder);
    // The first size report counts as one.
    EXPECT_GE(application().processEvents(), 1u);
    settle(application());
    pushKey(SDL_KEYDOWN, 4);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 5, 5);
    pushType(SDL_USEREVENT);
    EXPECT_GE(application().processEvents(), 3u);
    EXPECT_NE(std::find(recorder.calls.begin(), recorder.calls.end(), "keyDown 4"), recorder.calls.end());
}

// Waiting for an event leaves it queued for the pump.
TEST_F(GLTest, AnEventEndsTheWaitAndStaysQueued) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    pushKey(SDL_KEYDOWN, 1);
    pushKey(SDL_KEYDOWN, 6);
    EXPECT_TRUE(application().waitForEvent(60000));
    application().processEvents();
    EXPECT_EQ(recorder.afterMarker(), std::vector<std::string>{"keyDown 6"});
}

TEST_F(GLTest, ResizeReachesTheHandlerAfterTheViewportIsSet) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    application().processEvents();

    struct Probe : Recorder {
        std::vector<GLint> viewportAtResize;
        void resized(std::int32_t w, std::int32_t h) override {
            Recorder::resized(w, h);
            viewportAtResize = currentViewport();
        }
    } probe;
    application().setEventHandler(&probe);
    pushKey(SDL_KEYDOWN, 1);
    pushWindowEvent(SDL_WINDOWEVENT_RESIZED, 200, 150);
    application().processEvents();
    EXPECT_EQ(probe.afterMarker(), (std::vector<std::string>{"resized 200x150", "redraw", "redraw"}));
    EXPECT_EQ(probe.viewportAtResize, (std::vector<GLint>{0, 0, 200, 150}));
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 200, 150}));
}

TEST_F(GLTest, EventsReachTheirSlots) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    pushKey(SDL_KEYDOWN, 1);
    pushWindowEvent(SDL_WINDOWEVENT_EXPOSED, 0, 0);
    pushKey(SDL_KEYUP, 'a');
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 12;
    motion.motion.y = 34;
    SDL_PushEvent(&motion);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&button);
    button.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&button);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -3;
    SDL_PushEvent(&wheel);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::snprintf(text.text.text, sizeof text.text.text, "%s", "k");
    SDL_PushEvent(&text);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 5, 5);
    application().processEvents();
    EXPECT_EQ(recorder.afterMarker(),
              (std::vector<std::string>{"redraw", "keyUp 97", "mouseMotion 12,34", "mouseButtonDown 3",
                                        "mouseButtonUp 3", "mouseWheel -3", "textInput k"}));
}

TEST_F(GLTest, QuitStopsThePumpButEventsBehindItStillArrive) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    ASSERT_TRUE(application().isRunning());
    pushKey(SDL_KEYDOWN, 1);
    pushType(SDL_QUIT);
    pushKey(SDL_KEYDOWN, 2);
    application().processEvents();
    EXPECT_FALSE(application().isRunning());
    EXPECT_EQ(recorder.afterMarker(), std::vector<std::string>{"keyDown 2"});
    // Nothing sets the flag again.
    application().processEvents();
    EXPECT_FALSE(application().isRunning());
}

TEST_F(GLTest, WithoutAHandlerEventsAreDroppedButQuitStillCounts) {
    Recorder recorder;
    settle(application());
    pushKey(SDL_KEYDOWN, 5);
    pushWindowEvent(SDL_WINDOWEVENT_RESIZED, 90, 80);
    pushType(SDL_QUIT);
    application().processEvents();
    EXPECT_FALSE(application().isRunning());
    // The dropped resize did not reach OpenGL either.
    EXPECT_NE(currentViewport(), (std::vector<GLint>{0, 0, 90, 80}));
    application().setEventHandler(&recorder);
    application().processEvents();
    for (const std::string& c : recorder.calls)
        EXPECT_NE(c, "keyDown 5");
}

TEST_F(GLTest, DeviceEventsNeedTheirDeviceToBeAskedFor) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    pushKey(SDL_KEYDOWN, 1);
    pushType(SDL_JOYBUTTONDOWN);
    pushType(SDL_CONTROLLERBUTTONDOWN);
    pushKey(SDL_KEYDOWN, 3);
    application().processEvents();
    EXPECT_EQ(recorder.afterMarker(), std::vector<std::string>{"keyDown 3"});
}

TEST_F(GLTest, AThrowingHandlerLeavesTheRestQueued) {
    struct Thrower : Recorder {
        void keyDown(const SDL_KeyboardEvent& e) override {
            Recorder::keyDown(e);
            if (e.keysym.sym == 9)
                throw std::runtime_error("handler failed");
        }
    } thrower;
    settle(application());
    application().setEventHandler(&thrower);
    pushKey(SDL_KEYDOWN, 1);
    pushKey(SDL_KEYDOWN, 9);
    pushKey(SDL_KEYDOWN, 4);
    EXPECT_THROW(application().processEvents(), std::runtime_error);
    EXPECT_EQ(thrower.afterMarker(), std::vector<std::string>{"keyDown 9"});
    application().processEvents();
    EXPECT_EQ(thrower.afterMarker(), (std::vector<std::string>{"keyDown 9", "keyDown 4"}));
}

TEST_F(GLTest, ViewportAndWindowSizeReachOpenGLAndTheHandler) {
    Recorder recorder;
    settle(application());
    application().setEventHandler(&recorder);
    application().processEvents();
    recorder.calls.clear();
    application().viewport(64, 48);
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 64, 48}));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"resized 64x48", "redraw"}));
    recorder.calls.clear();
    application().setWindowSize(100, 70);
    EXPECT_EQ(currentViewport(), (std::vector<GLint>{0, 0, 100, 70}));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"resized 100x70", "redraw"}));
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(application().window(), &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 70);
}

TEST_F(GLTest, IconCursorAndPositionReachTheWindow) {
    std::vector<std::uint8_t> pixels(16 * 16 * 4, 200);
    const Surface icon(BorrowConstBuffer(pixels.data(), std::uint32_t(pixels.size())),
                       Migration::ImageMetadata(16, 16, 4, 32));
    EXPECT_NO_THROW(application().setIcon(icon));
    // SDL answers a toggle with the state before it, a query with the state.
    application().showCursor(SDL_DISABLE);
    EXPECT_EQ(application().showCursor(SDL_QUERY), SDL_DISABLE);
    application().showCursor(SDL_ENABLE);
    EXPECT_EQ(application().showCursor(SDL_QUERY), SDL_ENABLE);
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(application().window(), &x, &y);
    const Point<2, int> position = application().windowPosition();
    EXPECT_EQ(position[0], x);
    EXPECT_EQ(position[1], y);
}

// ---- Construction -------------------------------------------------------------

TEST_F(GLTest, TheContextIsACompatibilityContextOfAtLeast3) {
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 3);
    GLint mask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
    if (major > 3 || mask != 0) {
        EXPECT_TRUE(mask & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT) << mask;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(application().windowFlags() & SDL_WINDOW_OPENGL);
}

// The window is made hidden so that its least size is set before a window
// manager sees it; it must still come up shown, and keep that least size.
TEST(GLApplicationTest, TheWindowComesUpShownAndKeepsItsLeastSize) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    Application::Parameters p = GLTest::parameters();
    p.resizable = true;
    p.minimumWidth = 640;
    p.minimumHeight = 480;
    Application application(p);
    SDL_Window* window = application.window();
    const Uint32 flags = SDL_GetWindowFlags(window);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    EXPECT_FALSE(flags & SDL_WINDOW_HIDDEN);
    // The window manager is told the least size; asked for less, the window
    // on the server stays at least that large.
    const SDLGLTest::ServerWindow shown = SDLGLTest::ServerWindow::of(window);
    EXPECT_TRUE(shown.hasMinimumSize);
    EXPECT_EQ(shown.minimumWidth, 640);
    EXPECT_EQ(shown.minimumHeight, 480);
    SDL_SetWindowSize(window, 100, 100);
    const SDLGLTest::ServerWindow resized = SDLGLTest::ServerWindow::of(window);
    EXPECT_GE(resized.width, 640);
    EXPECT_GE(resized.height, 480);
}

TEST(GLApplicationTest, ARefusedSwapIntervalIsLoggedAndStartUpGoesOn) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    MemoryLog log;
    Application::Parameters p = GLTest::parameters();
    p.log = &log;
    std::unique_ptr<Application> application;
    ASSERT_NO_THROW(application = std::make_unique<Application>(p));
    // Whether this driver takes the interval decides whether a line was due.
    const bool refused = SDL_GL_SetSwapInterval(0) != 0;
    if (refused) {
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("Unable to set the swap interval: ", 0), 0u) << log.lines[0];
    } else {
        EXPECT_TRUE(log.lines.empty());
    }
    EXPECT_TRUE(application->isRunning());
}

TEST(GLApplicationTest, AFailedWindowReleasesSDLAndAnotherApplicationStarts) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    {
        ScopedEnvironment driver("SDL_OPENGL_LIBRARY", "/nonexistent/libGL-missing.so");
        try {
            Application application(GLTest::parameters());
            FAIL() << "a window without an OpenGL library was made";
        } catch (const SDLException& e) {
            EXPECT_EQ(e.code(), 0);
            EXPECT_EQ(e.message().rfind("SDL error - ", 0), 0u) << e.message();
        }
        EXPECT_EQ(SDL_WasInit(0), 0u);
    }
    Application application(GLTest::parameters());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
}

// Runs in a fresh process: Mesa reads the version override once a process,
// and every later context of that process would get the old version too.
void refuseAnOldContext() {
    setenv("MESA_GL_VERSION_OVERRIDE", "2.1", 1);
    try {
        Application application(GLTest::parameters());
        std::exit(2);
    } catch (const SupportException& e) {
        if (e.message() != "No support for OpenGL versions below 3.0. ")
            std::exit(3);
    }
    // Everything made on the way was released: SDL, its window, the context.
    if (SDL_WasInit(0) != 0 || SDL_GL_GetCurrentContext() != nullptr)
        std::exit(4);
    std::exit(0);
}

TEST(GLApplicationDeathTest, AContextBelow3IsRefusedAfterReleasingEverything) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(refuseAnOldContext(), ::testing::ExitedWithCode(0), "");
}

// Runs in a fresh process, whose first context is an EGL one. Asked for
// SDL's offscreen driver, whose context is EGL's as on Wayland, GLEW finds
// no GLX display; the window still comes up, with entry points that draw.
void startOnAnEGLContext() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    try {
        Application application(GLTest::parameters());
        if (std::string(SDL_GetCurrentVideoDriver()) != "offscreen")
            std::exit(2);
        // What the start went through: GLEW found no GLX display. Found one,
        // the context is not an EGL one and nothing here was checked.
        const GLenum glew = glewInit();
        if (glew != GLEW_ERROR_NO_GLX_DISPLAY) {
            std::fprintf(stderr, "glewInit gave %u, not GLEW_ERROR_NO_GLX_DISPLAY: not an EGL context\n", glew);
            std::exit(7);
        }
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const std::vector<std::uint8_t> pixels = GLTest::windowPixels(GLTest::windowWidth, GLTest::windowHeight);
        if (pixels.size() < 4 || pixels[0] != 255 || pixels[1] != 0 || pixels[2] != 255)
            std::exit(3);
        GLuint array = 0;
        glGenVertexArrays(1, &array);
        glDeleteVertexArrays(1, &array);
        if (array == 0 || glGetError() != GL_NO_ERROR)
            std::exit(4);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(5);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        std::exit(6);
    }
    std::exit(0);
}

// SDL's offscreen driver needs no display; it is asked for by name, which
// SDL may have been built without.
TEST(GLApplicationDeathTest, AnEGLContextStartsThoughGLEWFindsNoGLXDisplay) {
    bool offscreen = false;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i)
        offscreen = offscreen || std::string(SDL_GetVideoDriver(i)) == "offscreen";
    if (!offscreen)
        GTEST_SKIP() << "this SDL has no offscreen video driver, the one that gives an EGL context on any machine";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(startOnAnEGLContext(), ::testing::ExitedWithCode(0), "");
}

TEST(GLApplicationTest, FullscreenWindowsAreNeverAlsoMaximized) {
    if (!GLTest::haveDisplay())
        GTEST_SKIP() << GLTest::noDisplay;
    Application::Parameters p = GLTest::parameters();
    p.fullscreen = true;
    p.maximized = true;
    Application application(p);
    EXPECT_TRUE(application.windowFlags() & SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_FALSE(application.windowFlags() & SDL_WINDOW_MAXIMIZED);
    EXPECT_NO_THROW(application.setFullscreen(false));
}
