// The window on a Wayland connection that broke while events it had read
// were still waiting in their queues, as when the compositor goes away while
// the player moves the pointer or types: the pump, the wait and the swap
// return, the broken connection is told and the window stops running; a
// main thread that stays inside SDL all the same is ended by the window's
// watch, and one that came back is never ended by it, however long its own
// end takes. The compositor is weston drawing into a small window of the
// test run's X display, in a runtime folder of the test's. The window lives
// in a child process with a deadline: on such a connection, SDL's calls that
// wait for a queue to empty never return. The windows need a test process
// that has made no GLX context: these tests have their program to themselves.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <unistd.h>

#include "sdlgl/Application.h"
#include "sdlgl/ConnectionWatch.h"
#include "support/ChildProcess.h"
#include "support/PollUntil.h"
#include "support/gl/BrokenConnection.h"
#include "support/gl/Compositor.h"
#include "support/gl/GLTest.h"

#include <wayland-client.h>

using namespace TAVO::IK::SDLGL;
using KestruneGLTest::BrokenConnection;
using KestruneGLTest::Compositor;
using KestruneGLTest::GLTest;
using KestruneTest::ChildProcess;

namespace {

void frameShown(void* shown, wl_callback*, std::uint32_t) { *static_cast<bool*>(shown) = true; }

// A frame swapped with SDL waiting for the compositor's frame event, and the
// compositor's next frame waited for on the connection's own queue: the
// frame event of that swap has then been read into the queue SDL keeps for
// it, where nothing dispatched it. Whether the next frame came.
bool frameEventWaiting(Application& application, BrokenConnection& connection, wl_surface* surface) {
    if (SDL_GL_SetSwapInterval(1) != 0)
        return false;
    application.swap();
    auto* wrapped = static_cast<wl_surface*>(wl_proxy_create_wrapper(surface));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), connection.queue());
    bool shown = false;
    static const wl_callback_listener listener{frameShown};
    wl_callback_add_listener(wl_surface_frame(wrapped), &listener, &shown);
    wl_proxy_wrapper_destroy(wrapped);
    // Damaged, so that the compositor draws a frame for it.
    wl_surface_damage(surface, 0, 0, 1, 1);
    wl_surface_commit(surface);
    wl_display_flush(connection.display());
    for (int i = 0; i < 20 && !shown; ++i)
        connection.readDispatchingOnly();
    return shown;
}

// Runs in a child: a window on the compositor, events read into SDL's queues
// and left there (the answer to a sync in the default queue, and with
// `frame` the frame event of a swap in SDL's own), the connection broken
// from the window's end and found so, then the step. What the window told
// on the way: "broken: " and why, then whether it still runs once the step
// returned.
std::string onABrokenConnection(const Compositor& compositor, bool frame,
                                const std::function<void(Application&)>& step) {
    return ChildProcess::run(
        [&] {
            compositor.clientEnvironment();
            Application application(GLTest::parameters());
            wl_display* display = nullptr;
            wl_surface* surface = nullptr;
            if (!BrokenConnection::onWayland(application, display, surface))
                return std::string("not on Wayland");
            application.processEvents();
            BrokenConnection connection(display);
            if (frame && !frameEventWaiting(application, connection, surface))
                return std::string("no frame came");
            if (!connection.answerWaiting())
                return std::string("no answer waited");
            connection.breakNow();
            ChildProcess::say("broken: " + application.displayLost() + "\n");
            step(application);
            return std::string(application.isRunning() ? "running" : "not running");
        },
        std::chrono::seconds(20));
}

// weston drawing into the X display, for each test.
class GLApplicationBrokenConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!GLTest::haveDisplay())
            GTEST_SKIP() << GLTest::noDisplay;
        const std::string unfit = Compositor::whyClientsCannotStart();
        ASSERT_TRUE(unfit.empty()) << unfit;
        compositor_ = std::make_unique<Compositor>();
        ASSERT_TRUE(compositor_->listening()) << "weston did not open its socket";
    }

    std::unique_ptr<Compositor> compositor_;
};

const std::string broken = "broken: the connection to the Wayland compositor (WAYLAND_DISPLAY \"kestrune-broken\") "
                           "broke: Broken pipe\n";

} // namespace

// What SDL had queued before is still heard: a key pressed.
TEST_F(GLApplicationBrokenConnectionTest, ThePumpTakesNoMoreAndTheWindowStopsRunning) {
    EXPECT_EQ(onABrokenConnection(*compositor_, false,
                                  [](Application& application) {
                                      struct Heard : Application::EventHandler {
                                          void keyDown(const SDL_KeyboardEvent&) override {
                                              ChildProcess::say("a key\n");
                                          }
                                      } heard;
                                      application.setEventHandler(&heard);
                                      SDL_Event key{};
                                      key.type = SDL_KEYDOWN;
                                      key.key.keysym.sym = SDLK_a;
                                      SDL_PushEvent(&key);
                                      application.processEvents();
                                      application.clearEventHandler();
                                  }),
              broken + "a key\nnot running");
}

TEST_F(GLApplicationBrokenConnectionTest, TheWaitForEventsReturnsAtOnce) {
    EXPECT_EQ(onABrokenConnection(*compositor_, false,
                                  [](Application& application) {
                                      const auto begin = std::chrono::steady_clock::now();
                                      if (application.waitForEvent(100))
                                          ChildProcess::say("an event came\n");
                                      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - begin);
                                      if (waited.count() >= 50)
                                          ChildProcess::say("waited " + std::to_string(waited.count()) + " ms\n");
                                  }),
              broken + "running");
}

TEST_F(GLApplicationBrokenConnectionTest, TheSwapReturns) {
    EXPECT_EQ(onABrokenConnection(*compositor_, true, [](Application& application) { application.swap(); }),
              broken + "running");
}

namespace {

// Runs in a child to its exit: a window on the compositor whose watch says
// what it told, its connection broken inside SDL's pump (looping there after
// the break, or coming back: see BrokenConnection::breakInsideSDL), the
// loop's waits and pumps until the window stops running, then `then`.
ChildProcess::Exit brokenInsideSDL(const Compositor& compositor, bool loop, const std::function<void()>& then) {
    return ChildProcess::runToExit(
        [&] {
            compositor.clientEnvironment();
            Application::Parameters parameters = GLTest::parameters();
            parameters.tellStuck = [](const std::string& why) { ChildProcess::say("told: " + why + "\n"); };
            Application application(parameters);
            wl_display* display = nullptr;
            wl_surface* surface = nullptr;
            if (!BrokenConnection::onWayland(application, display, surface)) {
                ChildProcess::say("not on Wayland\n");
                _exit(2);
            }
            application.processEvents();
            BrokenConnection connection(display);
            connection.breakInsideSDL(loop);
            for (int i = 0; i < 500 && application.isRunning(); ++i)
                if (application.waitForEvent(10))
                    application.processEvents();
            ChildProcess::say(application.isRunning() ? "still running\n" : "came back\n");
            then();
            _exit(2);
        },
        std::chrono::seconds(30));
}

} // namespace

// The main thread never comes back from SDL's pump: the window's watch ends
// the process, telling why.
TEST_F(GLApplicationBrokenConnectionTest, AMainThreadStuckInsideSDLIsEndedByTheWatch) {
    const ChildProcess::Exit exit = brokenInsideSDL(*compositor_, true, [] {});
    EXPECT_EQ(exit.code, 1);
    EXPECT_EQ(exit.said, "looping\ntold: " + broken.substr(std::string("broken: ").size()));
}

// The connection breaks inside SDL's pump, which comes back having found the
// break; the main thread then spends several limits outside SDL (as an
// orderly end with a slow save does) and ends by itself: the watch leaves it
// alone.
TEST_F(GLApplicationBrokenConnectionTest, AnOrderlyEndLongerThanTheLimitIsNeverCut) {
    const ChildProcess::Exit exit = brokenInsideSDL(*compositor_, false, [] {
        std::this_thread::sleep_for(ConnectionWatch::limit * 3);
        ChildProcess::say("ended in order\n");
        _exit(0);
    });
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "broken inside SDL\ncame back\nended in order\n");
}

// The watch's own connection, which covers the making of the window, is
// closed once SDL's is known: a running window holds one connection to its
// compositor.
TEST_F(GLApplicationBrokenConnectionTest, ARunningWindowHoldsOneConnection) {
    EXPECT_EQ(ChildProcess::run([&] {
                  compositor_->clientEnvironment();
                  Application application(GLTest::parameters());
                  application.processEvents();
                  KestruneTest::waitUntil([&] { return compositor_->clients() == 1; });
                  return std::to_string(compositor_->clients()) + " connection(s)";
              }),
              "1 connection(s)");
}
