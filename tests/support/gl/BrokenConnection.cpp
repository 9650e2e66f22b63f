#include "support/gl/BrokenConnection.h"

#include <poll.h>
#include <sys/socket.h>

#include "sdlgl/Application.h"
#include "support/ChildProcess.h"

// After the project's headers: SDL's window-system header brings Xlib's macros.
#include <SDL_syswm.h>
#include <wayland-client.h>

using KestruneTest::ChildProcess;

namespace KestruneGLTest {

bool BrokenConnection::onWayland(const TAVO::IK::SDLGL::Application& application, wl_display*& display,
                                 wl_surface*& surface) {
    SDL_SysWMinfo system;
    SDL_VERSION(&system.version);
    if (SDL_GetWindowWMInfo(application.window(), &system) != SDL_TRUE || system.subsystem != SDL_SYSWM_WAYLAND)
        return false;
    display = system.info.wl.display;
    surface = system.info.wl.surface;
    return true;
}

BrokenConnection::BrokenConnection(wl_display* display)
    : display_(display), own_(wl_display_create_queue(display)) {}

void BrokenConnection::readDispatchingOnly() {
    while (wl_display_prepare_read_queue(display_, own_) != 0)
        wl_display_dispatch_queue_pending(display_, own_);
    pollfd in{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&in, 1, 1000) > 0)
        wl_display_read_events(display_);
    else
        wl_display_cancel_read(display_);
    wl_display_dispatch_queue_pending(display_, own_);
}

bool BrokenConnection::defaultQueueHolds() {
    if (wl_display_prepare_read(display_) != 0)
        return true;
    wl_display_cancel_read(display_);
    return false;
}

bool BrokenConnection::answerWaiting() {
    wl_display_sync(display_);
    wl_display_flush(display_);
    for (int i = 0; i < 20 && !defaultQueueHolds(); ++i)
        readDispatchingOnly();
    return defaultQueueHolds();
}

void BrokenConnection::breakNow() {
    shutdown(wl_display_get_fd(display_), SHUT_RDWR);
    for (int i = 0; i < 20 && wl_display_get_error(display_) == 0; ++i)
        readDispatchingOnly();
}

void BrokenConnection::breakInsideSDL(bool loop) {
    loop_ = loop;
    static const wl_callback_listener listener{answered};
    wl_callback_add_listener(wl_display_sync(display_), &listener, this);
    wl_display_flush(display_);
}

void BrokenConnection::answered(void* self, wl_callback* callback, unsigned int) {
    BrokenConnection& connection = *static_cast<BrokenConnection*>(self);
    wl_callback_destroy(callback);
    if (!connection.loop_) {
        // What the compositor sent is dispatched first: nothing is left in
        // the default queue for the title bar library's loop to wait on.
        wl_display_roundtrip(connection.display_);
        connection.breakNow();
        ChildProcess::say("broken inside SDL\n");
        return;
    }
    if (!connection.answerWaiting()) {
        ChildProcess::say("no answer waited\n");
        return;
    }
    connection.breakNow();
    ChildProcess::say("looping\n");
    while (wl_display_prepare_read(connection.display_) != 0)
        wl_display_dispatch_pending(connection.display_);
    ChildProcess::say("the loop ended\n");
}

} // namespace KestruneGLTest
