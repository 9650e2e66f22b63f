#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "support/TempFolder.h"

namespace KestruneGLTest {

// A Wayland compositor for a test: weston as a client of the X display (SDL
// cannot start on its headless backend, which has no seat), drawing into a
// small window there, its socket in a runtime folder of its own; stopped with
// the object.
class Compositor {
public:
    static constexpr const char* socketName = "kestrune-broken";

    Compositor();
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Whether it takes connections on its socket.
    bool listening() const { return listening_; }
    const std::string& runtime() const { return runtime_.path(); }
    // In a child: the environment of a window on this compositor alone.
    void clientEnvironment() const;
    // Why a window made in a child of this process cannot start on a
    // compositor, or "" when it can. A process that has made a GLX context
    // (its GLX driver is then loaded) leaves its children an OpenGL in which
    // GLEW's start on the window's EGL context finds no OpenGL version.
    static std::string whyClientsCannotStart();
    // The client connections it holds on its socket: the connected entries
    // of /proc/net/unix that bear its socket's path (those it accepted).
    std::size_t clients() const;

private:
    // Whether weston takes connections on the socket at the path.
    static bool answers(const std::string& path);

    KestruneTest::TempFolder runtime_;
    pid_t process_ = -1;
    bool listening_ = false;
};

} // namespace KestruneGLTest
