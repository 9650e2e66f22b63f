#include "sdlgl/Application.h"

#include <GL/glew.h>
#include <SDL_syswm.h>
#include <wayland-client-core.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "foundation/exceptions/SupportException.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "sdlgl/Checks.h"
#include "sdlgl/ConnectionWatch.h"
#include "sdlgl/GLEWException.h"
#include "sdlgl/SDLException.h"
#include "sdlgl/Surface.h"

namespace TAVO::IK::SDLGL {

std::uint32_t Application::initFlags(const Parameters& parameters) {
    std::uint32_t flags = SDL_INIT_VIDEO;
    if (parameters.joystick)
        flags |= SDL_INIT_JOYSTICK;
    if (parameters.gameController)
        flags |= SDL_INIT_GAMECONTROLLER;
    return flags;
}

std::uint32_t Application::windowFlagsFor(const Parameters& parameters) {
    std::uint32_t flags = SDL_WINDOW_OPENGL;
    if (parameters.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (parameters.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    if (parameters.maximized && !parameters.fullscreen)
        flags |= SDL_WINDOW_MAXIMIZED;
    return flags;
}

namespace {

std::string shown(const char* value) {
    return value == nullptr ? std::string("not set") : "\"" + Text::printable(value) + "\"";
}

// Counts the main thread into one of SDL's calls and out of it again, for
// the connection's watch.
class InsideSDL {
public:
    explicit InsideSDL(std::atomic<std::uint64_t>& calls) : calls_(calls) { ++calls_; }
    ~InsideSDL() { ++calls_; }
    InsideSDL(const InsideSDL&) = delete;
    InsideSDL& operator=(const InsideSDL&) = delete;

private:
    std::atomic<std::uint64_t>& calls_;
};

} // namespace

std::string Application::displayProblem(const char* videoDriver, const char* requestedDrivers,
                                        const char* x11Display, const char* waylandDisplay) {
    const std::string driver = videoDriver != nullptr ? videoDriver : "";
    if (driver != "offscreen" && driver != "dummy")
        return "";
    // SDL tries only the drivers SDL_VIDEODRIVER names when it names any.
    if (requestedDrivers != nullptr && *requestedDrivers != '\0')
        return "";
    return "No display could be opened (DISPLAY " + shown(x11Display) + ", WAYLAND_DISPLAY " +
           shown(waylandDisplay) + "): SDL fell back to its " + driver + " video driver, which shows no window";
}

bool Application::glewResultAccepted(std::uint32_t result) {
    return result == GLEW_OK || result == GLEW_ERROR_NO_GLX_DISPLAY;
}

std::uint32_t Application::flagsAfterShowing(std::uint32_t windowFlags, const char* videoDriver) {
    if (videoDriver == nullptr || std::string(videoDriver) != "wayland")
        return 0;
    return windowFlags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN_DESKTOP);
}

std::string Application::waylandConnectionLost(wl_display* display, const char* waylandDisplay) {
    if (display == nullptr)
        return "";
    const int error = wl_display_get_error(display);
    if (error == 0)
        return "";
    std::string reason;
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t object = 0;
        const std::uint32_t code = wl_display_get_protocol_error(display, &interface, &object);
        reason = "protocol error " + std::to_string(code) + " on " +
                 (interface != nullptr && interface->name != nullptr ? Text::printable(interface->name)
                                                                     : std::string("an unknown interface")) +
                 "@" + std::to_string(object);
    } else {
        reason = std::strerror(error);
    }
    return "the connection to the Wayland compositor (WAYLAND_DISPLAY " + shown(waylandDisplay) + ") broke: " +
           reason;
}

Application::Application(const Parameters& parameters) {
    try {
        // A connection handed over in WAYLAND_SOCKET is SDL's alone (libwayland
        // unsets the variable when it takes it).
        const bool connectionHanded = std::getenv("WAYLAND_SOCKET") != nullptr;
        checkSDL(SourceLocation(), SDL_Init(initFlags(parameters)));
        sdlStarted_ = true;
        const char* const videoDriver = SDL_GetCurrentVideoDriver();
        const std::string problem = displayProblem(videoDriver, SDL_GetHint(SDL_HINT_VIDEODRIVER),
                                                   std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        if (!problem.empty())
            throw SDLException(SourceLocation(), 0, problem);
        // Watched from before the window is made: until SDL's connection is
        // known, through a connection of the watch's own to the compositor.
        if (videoDriver != nullptr && std::string(videoDriver) == "wayland") {
            if (const char* const name = std::getenv("WAYLAND_DISPLAY"))
                waylandName_ = name;
            if (!connectionHanded)
                watchDisplay_ = wl_display_connect(nullptr);
            ConnectionWatch::Tell tell = parameters.tellStuck;
            if (!tell)
                tell = [](const std::string& why) { SDL_LogCritical(SDL_LOG_CATEGORY_VIDEO, "%s", why.c_str()); };
            watch_ = std::make_unique<ConnectionWatch>([this] { return watchedLoss(); }, sdlCalls_, std::move(tell));
        }
        joystickEvents_ = parameters.joystick;
        controllerEvents_ = parameters.gameController;
        SDL_StopTextInput();

        if (SDL_NumJoysticks() > 0) {
            if (parameters.joystick) {
                joystick_ = SDL_JoystickOpen(0);
                if (joystick_ == nullptr)
                    throw SDLException(SourceLocation(), 0);
            }
            if (parameters.gameController && SDL_IsGameController(0)) {
                controller_ = SDL_GameControllerOpen(0);
                if (controller_ == nullptr)
                    throw SDLException(SourceLocation(), 0);
            }
        }

        windowFlags_ = windowFlagsFor(parameters);
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY));
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8));
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8));
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8));
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1));
        checkSDL(SourceLocation(), SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16));

        // The window is shown once its least size is set: on a shown window
        // the size hints go through the window manager, and SDL waits for an
        // answer that a maximised window never gets (a tenth of a second at
        // every start). Its connection is known before it is shown: SDL
        // waits for the compositor's first answer then, and never stops
        // waiting when the connection breaks meanwhile.
        const std::uint32_t later = flagsAfterShowing(windowFlags_, videoDriver);
        const InsideSDL inside(sdlCalls_);
        window_ = SDL_CreateWindow(parameters.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                   int(parameters.width), int(parameters.height),
                                   (windowFlags_ & ~later) | SDL_WINDOW_HIDDEN);
        if (window_ == nullptr)
            throw SDLException(SourceLocation(), 0);
        SDL_SetWindowMinimumSize(window_, int(parameters.minimumWidth), int(parameters.minimumHeight));
        SDL_SysWMinfo system;
        SDL_VERSION(&system.version);
        if (SDL_GetWindowWMInfo(window_, &system) == SDL_TRUE && system.subsystem == SDL_SYSWM_WAYLAND)
            waylandDisplay_ = system.info.wl.display;
        SDL_ShowWindow(window_);
        if ((later & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP)
            setFullscreen(true);
        if ((later & SDL_WINDOW_MAXIMIZED) != 0)
            SDL_MaximizeWindow(window_);

        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr)
            throw SDLException(SourceLocation(), 0);
        contextMade();

        // Many drivers (Mesa under a virtual X server among them) cannot set
        // a swap interval at all; the window works without one.
        if (SDL_GL_SetSwapInterval(0) != 0) {
            const std::string reason = SDL_GetError();
            if (parameters.log != nullptr)
                Log::line(parameters.log->entry()) << "Unable to set the swap interval: " << reason;
            else
                SDL_LogWarn(SDL_LOG_CATEGORY_VIDEO, "Unable to set the swap interval: %s", reason.c_str());
        }

        const GLenum glew = glewInit();
        if (!glewResultAccepted(glew))
            throw GLEWException(SourceLocation(), glew);
        if (!GLEW_VERSION_3_0)
            throw SupportException(SourceLocation(), "OpenGL versions below 3.0");

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        checkGLError();
        SDL_GL_SwapWindow(window_);
    } catch (...) {
        release();
        throw;
    }
}

Application::~Application() { release(); }

void Application::release() {
    // Before SDL's connection goes.
    watch_.reset();
    handler_ = nullptr;
    if (context_ != nullptr) {
        contextGone();
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
    waylandDisplay_ = nullptr;
    if (watchDisplay_ != nullptr) {
        wl_display_disconnect(watchDisplay_);
        watchDisplay_ = nullptr;
    }
    if (controller_ != nullptr) {
        SDL_GameControllerClose(controller_);
        controller_ = nullptr;
    }
    if (joystick_ != nullptr) {
        if (SDL_JoystickGetAttached(joystick_))
            SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
    }
    if (sdlStarted_) {
        SDL_Quit();
        sdlStarted_ = false;
    }
}

bool Application::connectionBroken() const {
    return waylandDisplay_ != nullptr && wl_display_get_error(waylandDisplay_) != 0;
}

std::uint32_t Application::processEvents() {
    std::uint32_t count = 0;
    if (initialResize_) {
        // A size the window manager gave meanwhile (a maximised window's) is
        // taken in first, so that the first report is already of it.
        if (!connectionBroken()) {
            const InsideSDL inside(sdlCalls_);
            SDL_PumpEvents();
        }
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(window_, &width, &height);
        if (handler_ != nullptr)
            handler_->resized(width, height);
        initialResize_ = false;
        ++count;
    }
    // Each look at the queue may pump (SDL pumps at the first of a round, or
    // at every one with its poll sentinel turned off). Once the connection
    // has broken, what SDL queued before is still taken, without a pump.
    SDL_Event event;
    const auto next = [&] {
        if (connectionBroken())
            return SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        const InsideSDL inside(sdlCalls_);
        return SDL_PollEvent(&event);
    };
    while (next() > 0) {
        ++count;
        dispatch(event);
    }
    // As SDL's quit would, had its pump run.
    if (connectionBroken())
        running_ = false;
    return count;
}

bool Application::waitForEvent(std::uint32_t milliseconds) {
    // Nothing more can arrive: whether anything is left to take.
    if (connectionBroken())
        return SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
    // Without an event to fill in, SDL leaves the event in the queue.
    const InsideSDL inside(sdlCalls_);
    return SDL_WaitEventTimeout(nullptr, int(std::min<std::uint32_t>(milliseconds, 0x7FFFFFFF))) == 1;
}

void Application::dispatch(const SDL_Event& event) {
    if (event.type == SDL_QUIT) {
        running_ = false;
        return;
    }
    if (handler_ == nullptr)
        return;
    switch (event.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        handler_->keyDown(event.key);
        break;
    case SDL_KEYUP:
        handler_->keyUp(event.key);
        break;
    case SDL_TEXTINPUT:
        handler_->textInput(event.text);
        break;
    case SDL_MOUSEMOTION:
        handler_->mouseMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
        handler_->mouseButtonDown(event.button);
        break;
    case SDL_MOUSEBUTTONUP:
        handler_->mouseButtonUp(event.button);
        break;
    case SDL_MOUSEWHEEL:
        handler_->mouseWheel(event.wheel);
        break;
    case SDL_JOYBUTTONDOWN:
        if (joystickEvents_)
            handler_->joystickButtonDown(event.jbutton);
        break;
    case SDL_JOYBUTTONUP:
        if (joystickEvents_)
            handler_->joystickButtonUp(event.jbutton);
        break;
    case SDL_JOYAXISMOTION:
        if (joystickEvents_)
            handler_->joystickAxisMotion(event.jaxis);
        break;
    case SDL_JOYBALLMOTION:
        if (joystickEvents_)
            handler_->joystickBallMotion(event.jball);
        break;
    case SDL_JOYHATMOTION:
        if (joystickEvents_)
            handler_->joystickHatMotion(event.jhat);
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (controllerEvents_)
            handler_->controllerAxisMotion(event.caxis);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        if (controllerEvents_)
            handler_->controllerButtonDown(event.cbutton);
        break;
    case SDL_CONTROLLERBUTTONUP:
        if (controllerEvents_)
            handler_->controllerButtonUp(event.cbutton);
        break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
        if (controllerEvents_)
            handler_->controllerDeviceChanged(event.cdevice);
        break;
    default:
        break;
    }
}

void Application::handleWindowEvent(const SDL_WindowEvent& event) {
    if (handler_ == nullptr)
        return;
    if (event.event == SDL_WINDOWEVENT_EXPOSED) {
        handler_->redraw();
    } else if (event.event == SDL_WINDOWEVENT_RESIZED) {
        viewport(event.data1, event.data2);
        if (handler_ != nullptr)
            handler_->redraw();
    }
}

void Application::swap() {
    if (connectionBroken())
        return;
    const InsideSDL inside(sdlCalls_);
    SDL_GL_SwapWindow(window_);
}

std::string Application::displayLost() const {
    return waylandConnectionLost(waylandDisplay_, waylandName_ ? waylandName_->c_str() : nullptr);
}

std::string Application::watchedLoss() {
    if (waylandDisplay_ != nullptr && watchDisplay_ != nullptr) {
        // SDL's connection is known: the game holds one connection to its
        // compositor from now on.
        wl_display_disconnect(watchDisplay_);
        watchDisplay_ = nullptr;
    }
    if (waylandDisplay_ != nullptr || watchDisplay_ == nullptr)
        return displayLost();
    // Nothing is asked on it: all it can read is the compositor hanging up.
    pollfd hangUp{wl_display_get_fd(watchDisplay_), POLLIN, 0};
    if (wl_display_get_error(watchDisplay_) == 0 && poll(&hangUp, 1, 0) > 0)
        wl_display_dispatch(watchDisplay_);
    return waylandConnectionLost(watchDisplay_, waylandName_ ? waylandName_->c_str() : nullptr);
}

int Application::refreshRate() const {
    const int display = SDL_GetWindowDisplayIndex(window_);
    SDL_DisplayMode mode{};
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0)
        return 0;
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

void Application::setFullscreen(bool fullscreen) {
    if (waylandDisplay_ == nullptr) {
        checkSDL(SourceLocation(), SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
        return;
    }
    const std::uint32_t flags = SDL_GetWindowFlags(window_);
    if (fullscreen) {
        if ((flags & SDL_WINDOW_FULLSCREEN) != 0)
            return;
        maximisedBeforeFullscreen_ = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        if (maximisedBeforeFullscreen_)
            SDL_RestoreWindow(window_);
        checkSDL(SourceLocation(), SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP));
    } else {
        checkSDL(SourceLocation(), SDL_SetWindowFullscreen(window_, 0));
        if (maximisedBeforeFullscreen_)
            SDL_MaximizeWindow(window_);
        maximisedBeforeFullscreen_ = false;
    }
}

void Application::setIcon(const Surface& icon) { SDL_SetWindowIcon(window_, icon.surface()); }

void Application::viewport(std::int32_t width, std::int32_t height) {
    glViewport(0, 0, width, height);
    checkGLError();
    if (handler_ != nullptr) {
        handler_->resized(width, height);
        handler_->redraw();
    }
}

void Application::setWindowSize(std::int32_t width, std::int32_t height) {
    SDL_SetWindowSize(window_, width, height);
    viewport(width, height);
}

Point<2, int> Application::windowPosition() const {
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    return Point<2, int>(x, y);
}

int Application::showCursor(int toggle) {
    const int result = SDL_ShowCursor(toggle);
    if (result < 0)
        throw SDLException(SourceLocation(), result);
    return result;
}

void Application::enableRelativeMouse() { checkSDL(SourceLocation(), SDL_SetRelativeMouseMode(SDL_TRUE)); }

void Application::disableRelativeMouse() { checkSDL(SourceLocation(), SDL_SetRelativeMouseMode(SDL_FALSE)); }

} // namespace TAVO::IK::SDLGL
