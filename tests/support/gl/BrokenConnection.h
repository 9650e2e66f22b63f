#pragma once

struct wl_callback;
struct wl_display;
struct wl_event_queue;
struct wl_surface;

namespace TAVO::IK::SDLGL {
class Application;
}

namespace KestruneGLTest {

// A window's Wayland connection broken from the window's end, as when the
// compositor goes away while the player acts: events read into the queues
// and left there, and the break itself, outside SDL or from inside its pump.
// It reads through a queue of its own, which only it dispatches and which
// goes with the connection (the tests' windows live in children that end
// with _exit).
class BrokenConnection {
public:
    // The window's Wayland connection and surface; false when it is not on
    // Wayland.
    static bool onWayland(const TAVO::IK::SDLGL::Application& application, wl_display*& display,
                          wl_surface*& surface);

    explicit BrokenConnection(wl_display* display);
    BrokenConnection(const BrokenConnection&) = delete;
    BrokenConnection& operator=(const BrokenConnection&) = delete;

    wl_display* display() const { return display_; }
    wl_event_queue* queue() const { return own_; }

    // Reads what waits on the connection (a second at most) into the queues
    // of the objects it is for, dispatching only the own queue.
    void readDispatchingOnly();
    // Whether the default queue holds an event: then it cannot be prepared
    // for a read.
    bool defaultQueueHolds();
    // Has the compositor answer a sync in the default queue, where the
    // answer is read but not dispatched (as the pointer's and keyboard's
    // events are when something else reads the connection); whether it
    // waits there.
    bool answerWaiting();
    // Breaks the connection, reading first what the compositor sent before,
    // until libwayland holds the error.
    void breakNow();
    // Asks the compositor for a sync whose answer SDL's pump dispatches. The
    // answer breaks the connection there. With `loop`, as the title bar
    // redraws itself when the pointer crosses it after the compositor went
    // (a request that no longer fits, an event still queued), it then loops
    // as the title bar library's dispatch does, saying "looping" first: the
    // main thread never comes back. Without, the pump comes back having
    // found the break.
    void breakInsideSDL(bool loop);

private:
    static void answered(void* self, wl_callback* callback, unsigned int);

    wl_display* display_;
    wl_event_queue* own_;
    bool loop_ = false;
};

} // namespace KestruneGLTest
