#pragma once

struct SDL_Window;

namespace SDLGLTest {

// What the X server holds of an SDL window: the size hints it was given for
// the window manager, and its size. Read from the server, not from what SDL
// records of the window.
struct ServerWindow {
    // The window's WM_NORMAL_HINTS carry a least size.
    bool hasMinimumSize = false;
    int minimumWidth = 0;
    int minimumHeight = 0;
    int width = 0;
    int height = 0;

    // After every request sent for the window has been handled. A window not
    // on X11 throws std::runtime_error.
    static ServerWindow of(SDL_Window* window);
};

} // namespace SDLGLTest
