#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "geometry/Point.h"

struct wl_display;

namespace TAVO {
class Log;
}

namespace TAVO::IK::SDLGL {

class ConnectionWatch;
class Surface;

// The program's one window with its OpenGL context. Construction starts SDL,
// opens the window and a compatibility context of at least OpenGL 3.0 and
// loads the entry points; the event pump turns SDL's queue into calls on one
// event handler. Main thread only.
class Application {
public:
    struct Parameters {
        std::uint32_t width = 640;
        std::uint32_t height = 480;
        std::uint32_t minimumWidth = 0;
        std::uint32_t minimumHeight = 0;
        bool fullscreen = false;
        bool resizable = true;
        // Ignored with fullscreen.
        bool maximized = false;
        std::string title = "SDL Application";
        bool joystick = false;
        bool gameController = false;
        // Where start-up problems that do not stop the program are written
        // (not owned, may be null).
        Log* log = nullptr;
        // Under Wayland, what tells why the connection broke when the main
        // thread stays stuck inside SDL on it (ConnectionWatch): called on
        // the watch's thread just before it ends the process with exit code
        // 1. Without it, SDL's log tells.
        std::function<void(const std::string& why)> tellStuck;
    };

    // The receiver of the pumped events. Every operation does nothing unless
    // overridden. Joystick events arrive only when the joystick was asked
    // for, controller events only when the game controller was.
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        virtual void resized(std::int32_t, std::int32_t) {}
        virtual void redraw() {}
        virtual void keyDown(const SDL_KeyboardEvent&) {}
        virtual void keyUp(const SDL_KeyboardEvent&) {}
        virtual void textInput(const SDL_TextInputEvent&) {}
        virtual void mouseMotion(const SDL_MouseMotionEvent&) {}
        virtual void mouseButtonDown(const SDL_MouseButtonEvent&) {}
        virtual void mouseButtonUp(const SDL_MouseButtonEvent&) {}
        virtual void mouseWheel(const SDL_MouseWheelEvent&) {}
        virtual void joystickButtonDown(const SDL_JoyButtonEvent&) {}
        virtual void joystickButtonUp(const SDL_JoyButtonEvent&) {}
        virtual void joystickAxisMotion(const SDL_JoyAxisEvent&) {}
        virtual void joystickBallMotion(const SDL_JoyBallEvent&) {}
        virtual void joystickHatMotion(const SDL_JoyHatEvent&) {}
        virtual void controllerAxisMotion(const SDL_ControllerAxisEvent&) {}
        virtual void controllerButtonDown(const SDL_ControllerButtonEvent&) {}
        virtual void controllerButtonUp(const SDL_ControllerButtonEvent&) {}
        virtual void controllerDeviceChanged(const SDL_ControllerDeviceEvent&) {}
    };

    // Throws SDLException (also when no display could be opened and SDL fell
    // back to a driver that shows nothing), GLEWException, or
    // SupportException for a context below OpenGL 3.0. A failed construction
    // has released whatever it had made (context, window, devices, SDL)
    // before the exception leaves. A swap interval the driver refuses is
    // logged and construction goes on.
    explicit Application(const Parameters& parameters);
    virtual ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The SDL_Init flags and the window flags the parameters ask for.
    static std::uint32_t initFlags(const Parameters& parameters);
    static std::uint32_t windowFlagsFor(const Parameters& parameters);
    // Asked for no video driver, SDL falls back to one that shows nothing
    // (its offscreen or dummy driver) when it can open no display. What to
    // tell then, naming the displays it was given (DISPLAY and
    // WAYLAND_DISPLAY, null when unset) as printable text; empty for any
    // other driver, and for one the player asked for (SDL_VIDEODRIVER).
    static std::string displayProblem(const char* videoDriver, const char* requestedDrivers, const char* x11Display,
                                      const char* waylandDisplay);
    // Whether glewInit's result lets the window go on. GLEW as it is built
    // for the desktop also looks for a GLX display, and finds none for an EGL
    // context (under any driver: Wayland's, offscreen, or x11 asked for EGL);
    // it has loaded the GL entry points before it looks. Every other failure
    // is one.
    static bool glewResultAccepted(std::uint32_t result);
    // Of the window flags, those asked only once the window is shown: under
    // SDL's Wayland driver, maximised and full screen (a window made so
    // answers the compositor's first configuration with the size it was made
    // with, a protocol error that ends the connection); none under any other
    // driver.
    static std::uint32_t flagsAfterShowing(std::uint32_t windowFlags, const char* videoDriver);
    // Why the Wayland connection broke, naming the display (WAYLAND_DISPLAY
    // as printable text, null when unset): the system's error, or the
    // interface, object and code of a protocol error. Empty while it holds.
    static std::string waylandConnectionLost(wl_display* display, const char* waylandDisplay);

    // Reports the window size on the first call, then dispatches every queued
    // event. An exception of a handler leaves at once; later events stay
    // queued. The number of events taken from the queue, the ones no handler
    // hears included, plus one for the first size report. Once the Wayland
    // connection has broken, SDL's pump is no longer run: the events it
    // queued before are still dispatched, and the running flag is cleared.
    // One that breaks inside SDL's pump can leave the pump spinning in the
    // title bar library's dispatch: then the window's ConnectionWatch ends
    // the process.
    std::uint32_t processEvents();
    // Sleeps until an event is queued or the milliseconds have passed; false
    // when none is queued. The event stays queued for processEvents. On a
    // broken Wayland connection it returns at once.
    bool waitForEvent(std::uint32_t milliseconds);
    bool isRunning() const { return running_; }
    // Clears the running flag; nothing sets it again.
    void quit() { running_ = false; }

    void setEventHandler(EventHandler* handler) { handler_ = handler; }
    void clearEventHandler() { handler_ = nullptr; }

    // Does nothing on a broken Wayland connection.
    void swap();
    // Why the connection to the display broke, empty while it holds; SDL
    // tells a broken connection only as a quit, when its pump runs into it.
    // Only a Wayland connection is watched: Xlib ends the process itself when
    // its connection breaks.
    std::string displayLost() const;
    // The refresh rate in Hz of the display the window is on; 0 when SDL
    // does not know it.
    int refreshRate() const;
    // Under Wayland a maximised window goes full screen unmaximised and is
    // maximised again once it leaves: left for the maximised state, SDL
    // answers the compositor with the frame's size where the inside's
    // belongs, a protocol error that ends the connection.
    void setFullscreen(bool fullscreen);
    void setIcon(const Surface& icon);
    // glViewport (0, 0, width, height), then resized and redraw on the handler.
    void viewport(std::int32_t width, std::int32_t height);
    void setWindowSize(std::int32_t width, std::int32_t height);
    Point<2, int> windowPosition() const;
    // SDL_ShowCursor with the toggle; returns its non-negative result.
    int showCursor(int toggle);
    void enableRelativeMouse();
    void disableRelativeMouse();
    // Exposed: redraw. Resized: viewport with the new size, then redraw.
    void handleWindowEvent(const SDL_WindowEvent& event);

    // The flags the window was asked with (under Wayland, maximised and full
    // screen are asked once it is shown).
    std::uint32_t windowFlags() const { return windowFlags_; }
    SDL_Window* window() const { return window_; }

private:
    // Whether the Wayland connection has broken (never under another
    // driver). Every call that reads it may find it so: SDL's pump and swap
    // and Mesa's drawing alike. Once it has, SDL's pump, its wait for events
    // and its swap are not called again. libwayland then keeps the events it
    // had read in their queues and refuses to dispatch them, and the loops
    // that wait for a queue to empty (the title bar library's dispatch in
    // SDL's pump and wait, SDL's wait for the frame event in its swap) spin
    // forever.
    bool connectionBroken() const;
    void dispatch(const SDL_Event& event);
    // Undoes construction in reverse order; safe on a partly built object.
    void release();
    // For the watch, on its thread: why SDL's connection broke, or before
    // the window has one, the watch's own connection to the same compositor
    // (which sees the compositor hang up, and is closed at the first look
    // that knows SDL's); empty while it holds.
    std::string watchedLoss();

    std::uint32_t windowFlags_ = SDL_WINDOW_OPENGL;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    EventHandler* handler_ = nullptr;
    SDL_Joystick* joystick_ = nullptr;
    SDL_GameController* controller_ = nullptr;
    // SDL's connection under SDL's Wayland driver, known from the window's
    // making on; null under any other.
    std::atomic<wl_display*> waylandDisplay_ = nullptr;
    // Under Wayland, the watch's own connection until SDL's is known (null
    // when it could not be made, or when SDL was handed its connection in
    // WAYLAND_SOCKET), used and closed only on the watch's thread, and
    // WAYLAND_DISPLAY as it was at the start.
    wl_display* watchDisplay_ = nullptr;
    std::optional<std::string> waylandName_;
    // The main thread's entries into and returns from SDL's calls that talk
    // to the compositor: odd while inside one.
    std::atomic<std::uint64_t> sdlCalls_ = 0;
    std::unique_ptr<ConnectionWatch> watch_;
    // Under Wayland, whether the window in full screen was maximised before.
    bool maximisedBeforeFullscreen_ = false;
    bool initialResize_ = true;
    bool running_ = true;
    bool sdlStarted_ = false;
    bool joystickEvents_ = false;
    bool controllerEvents_ = false;
};

} // namespace TAVO::IK::SDLGL
