// The window on a Wayland connection that broke while events it had read
// were still waiting in their queues, as when the compositor goes away while
// the player moves the pointer or types: the pump, the wait and the swap
// return, the broken connection is told and the window stops running; a
// main thread that stays inside SDL all the same is ended by the window's
// watch. The compositor is weston drawing into a small window of the test
// run's X display (SDL cannot start on its headless backend, which has no
// seat), in a runtime folder of the test's. The window lives in a child
// process with a deadline: on such a connection, SDL's calls that wait for a
// queue to empty never return.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sdlgl/Application.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/gl/GLTest.h"

// After the tests' headers: SDL's window-system header brings Xlib's macros.
#include <SDL_syswm.h>
#include <wayland-client.h>

using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;
using KestruneTest::ChildProcess;

namespace {

constexpr const char* socketName = "kestrune-broken";

// weston as a client of the X display, its socket in a runtime folder of its
// own; stopped with the object.
class Compositor {
public:
    Compositor() {
        chmod(runtime_.path().c_str(), 0700);
        const std::string log = "--log=" + runtime_.file("weston.txt");
        process_ = fork();
        if (process_ == 0) {
            setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
            unsetenv("WAYLAND_DISPLAY");
            execlp("weston", "weston", "--no-config", "--backend=x11-backend.so", "--use-pixman", "--idle-time=0",
                   "--width=320", "--height=240", "--socket=kestrune-broken", log.c_str(), nullptr);
            _exit(127);
        }
        const std::string socket = runtime_.file(socketName);
        struct stat found {};
        for (int i = 0; i < 20000 && !listening_; ++i) {
            if (waitpid(process_, nullptr, WNOHANG) == process_) {
                process_ = -1;
                break;
            }
            listening_ = stat(socket.c_str(), &found) == 0;
            if (!listening_)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~Compositor() {
        if (process_ > 0) {
            kill(process_, SIGTERM);
            waitpid(process_, nullptr, 0);
        }
    }
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    bool listening() const { return listening_; }
    const std::string& runtime() const { return runtime_.path(); }

private:
    KestruneTest::TempFolder runtime_;
    pid_t process_ = -1;
    bool listening_ = false;
};

// Reads what waits on the connection (a second at most) into the queues of
// the objects it is for, dispatching only the queue given.
void readDispatchingOnly(wl_display* display, wl_event_queue* queue) {
    while (wl_display_prepare_read_queue(display, queue) != 0)
        wl_display_dispatch_queue_pending(display, queue);
    pollfd in{wl_display_get_fd(display), POLLIN, 0};
    if (poll(&in, 1, 1000) > 0)
        wl_display_read_events(display);
    else
        wl_display_cancel_read(display);
    wl_display_dispatch_queue_pending(display, queue);
}

// Whether the default queue holds an event: then it cannot be prepared for
// a read.
bool defaultQueueHolds(wl_display* display) {
    if (wl_display_prepare_read(display) != 0)
        return true;
    wl_display_cancel_read(display);
    return false;
}

// Has the compositor answer a sync in the default queue, where the answer
// is read but not dispatched (as the pointer's and keyboard's events are
// when something else reads the connection); whether it waits there.
bool answerWaiting(wl_display* display, wl_event_queue* own) {
    wl_display_sync(display);
    wl_display_flush(display);
    for (int i = 0; i < 20 && !defaultQueueHolds(display); ++i)
        readDispatchingOnly(display, own);
    return defaultQueueHolds(display);
}

void frameShown(void* shown, wl_callback*, std::uint32_t) { *static_cast<bool*>(shown) = true; }

// A frame swapped with SDL waiting for the compositor's frame event, and the
// compositor's next frame waited for on a queue of the test's: the frame
// event of that swap has then been read into the queue SDL keeps for it,
// where nothing dispatched it. Whether the next frame came.
bool frameEventWaiting(Application& application, wl_display* display, wl_surface* surface, wl_event_queue* own) {
    if (SDL_GL_SetSwapInterval(1) != 0)
        return false;
    application.swap();
    auto* wrapped = static_cast<wl_surface*>(wl_proxy_create_wrapper(surface));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), own);
    bool shown = false;
    static const wl_callback_listener listener{frameShown};
    wl_callback_add_listener(wl_surface_frame(wrapped), &listener, &shown);
    wl_proxy_wrapper_destroy(wrapped);
    // Damaged, so that the compositor draws a frame for it.
    wl_surface_damage(surface, 0, 0, 1, 1);
    wl_surface_commit(surface);
    wl_display_flush(display);
    for (int i = 0; i < 20 && !shown; ++i)
        readDispatchingOnly(display, own);
    return shown;
}

// Breaks the connection from the window's end, reading first what the
// compositor sent before, until libwayland holds the error.
void breakConnection(wl_display* display, wl_event_queue* own) {
    shutdown(wl_display_get_fd(display), SHUT_RDWR);
    for (int i = 0; i < 20 && wl_display_get_error(display) == 0; ++i)
        readDispatchingOnly(display, own);
}

// In a child: the environment of a window on the compositor alone.
void onlyOn(const Compositor& compositor) {
    setenv("XDG_RUNTIME_DIR", compositor.runtime().c_str(), 1);
    setenv("WAYLAND_DISPLAY", socketName, 1);
    setenv("SDL_VIDEODRIVER", "wayland", 1);
    unsetenv("DISPLAY");
}

// The window's Wayland connection and surface; false when it is not on
// Wayland.
bool onWayland(const Application& application, SDL_SysWMinfo& system) {
    SDL_VERSION(&system.version);
    return SDL_GetWindowWMInfo(application.window(), &system) == SDL_TRUE && system.subsystem == SDL_SYSWM_WAYLAND;
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
            onlyOn(compositor);
            Application application(GLTest::parameters());
            SDL_SysWMinfo system;
            if (!onWayland(application, system))
                return std::string("not on Wayland");
            wl_display* display = system.info.wl.display;
            application.processEvents();
            wl_event_queue* own = wl_display_create_queue(display);
            if (frame && !frameEventWaiting(application, display, system.info.wl.surface, own))
                return std::string("no frame came");
            if (!answerWaiting(display, own))
                return std::string("no answer waited");
            breakConnection(display, own);
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

// What the answer to the window's sync does, dispatched by SDL's pump: what
// happens when the title bar redraws itself as the pointer crosses it after
// the compositor went (a request that no longer fits breaks the
// connection, events still queued), then the title bar library's loop.
struct Stuck {
    wl_display* display = nullptr;
    wl_event_queue* own = nullptr;
};

void breakAndLoop(void* data, wl_callback* callback, std::uint32_t) {
    const Stuck& stuck = *static_cast<Stuck*>(data);
    wl_callback_destroy(callback);
    if (!answerWaiting(stuck.display, stuck.own)) {
        ChildProcess::say("no answer waited\n");
        return;
    }
    breakConnection(stuck.display, stuck.own);
    ChildProcess::say("looping\n");
    while (wl_display_prepare_read(stuck.display) != 0)
        wl_display_dispatch_pending(stuck.display);
    ChildProcess::say("the loop ended\n");
}

} // namespace

// The main thread never comes back from SDL's pump: the window's watch ends
// the process, telling why.
TEST_F(GLApplicationBrokenConnectionTest, AMainThreadStuckInsideSDLIsEndedByTheWatch) {
    const ChildProcess::Exit exit = ChildProcess::runToExit(
        [&] {
            onlyOn(*compositor_);
            Application::Parameters parameters = GLTest::parameters();
            parameters.tellStuck = [](const std::string& why) { ChildProcess::say("told: " + why + "\n"); };
            Application application(parameters);
            SDL_SysWMinfo system;
            if (!onWayland(application, system)) {
                ChildProcess::say("not on Wayland\n");
                _exit(2);
            }
            application.processEvents();
            Stuck stuck{system.info.wl.display, wl_display_create_queue(system.info.wl.display)};
            static const wl_callback_listener listener{breakAndLoop};
            wl_callback_add_listener(wl_display_sync(stuck.display), &listener, &stuck);
            wl_display_flush(stuck.display);
            for (int i = 0; i < 500 && application.isRunning(); ++i)
                if (application.waitForEvent(10))
                    application.processEvents();
            ChildProcess::say("the pump came back\n");
            _exit(2);
        },
        std::chrono::seconds(10));
    EXPECT_EQ(exit.code, 1);
    EXPECT_EQ(exit.said, "looping\ntold: " + broken.substr(std::string("broken: ").size()));
}
