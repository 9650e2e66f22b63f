#include "ServerWindow.h"

#include <stdexcept>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace SDLGLTest {

ServerWindow ServerWindow::of(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
        throw std::runtime_error("the window is not an X11 window");
    Display* display = info.info.x11.display;
    const ::Window id = info.info.x11.window;
    XSync(display, False);
    ServerWindow facts;
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr)
        throw std::runtime_error("no size hints");
    long supplied = 0;
    if (XGetWMNormalHints(display, id, hints, &supplied) != 0 && (hints->flags & PMinSize) != 0) {
        facts.hasMinimumSize = true;
        facts.minimumWidth = hints->min_width;
        facts.minimumHeight = hints->min_height;
    }
    XFree(hints);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, id, &attributes) == 0)
        throw std::runtime_error("the window's attributes cannot be read");
    facts.width = attributes.width;
    facts.height = attributes.height;
    return facts;
}

} // namespace SDLGLTest
