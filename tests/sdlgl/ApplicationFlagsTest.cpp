#include <gtest/gtest.h>

#include <GL/glew.h>

#include "sdlgl/Application.h"

using TAVO::IK::SDLGL::Application;

TEST(ApplicationFlagsTest, DefaultsAreAResizableWindowOf640By480) {
    const Application::Parameters p;
    EXPECT_EQ(p.width, 640u);
    EXPECT_EQ(p.height, 480u);
    EXPECT_EQ(p.title, "SDL Application");
    EXPECT_EQ(Application::windowFlagsFor(p), std::uint32_t(SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE));
}

TEST(ApplicationFlagsTest, InitialisesVideoAndOnlyTheDevicesAskedFor) {
    Application::Parameters p;
    EXPECT_EQ(Application::initFlags(p), 0x20u);
    p.joystick = true;
    EXPECT_EQ(Application::initFlags(p), 0x220u);
    p.gameController = true;
    EXPECT_EQ(Application::initFlags(p), 0x2220u);
    p.joystick = false;
    EXPECT_EQ(Application::initFlags(p), 0x2020u);
}

TEST(ApplicationFlagsTest, FullscreenOverridesMaximized) {
    Application::Parameters p;
    p.maximized = true;
    EXPECT_TRUE(Application::windowFlagsFor(p) & SDL_WINDOW_MAXIMIZED);
    p.fullscreen = true;
    const std::uint32_t flags = Application::windowFlagsFor(p);
    EXPECT_TRUE(flags & SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_FALSE(flags & SDL_WINDOW_MAXIMIZED);
    p.resizable = false;
    EXPECT_FALSE(Application::windowFlagsFor(p) & SDL_WINDOW_RESIZABLE);
}

// With no display to open, SDL falls back to a driver that shows nothing:
// that is a failed start, unless the player asked for such a driver.
TEST(ApplicationDisplayTest, AFallBackToADriverThatShowsNothingIsAProblemNamingTheDisplays) {
    EXPECT_EQ(Application::displayProblem("offscreen", nullptr, ":5", nullptr),
              "No display could be opened (DISPLAY \":5\", WAYLAND_DISPLAY not set): SDL fell back to its "
              "offscreen video driver, which shows no window");
    EXPECT_EQ(Application::displayProblem("dummy", "", nullptr, "wayland-1"),
              "No display could be opened (DISPLAY not set, WAYLAND_DISPLAY \"wayland-1\"): SDL fell back to its "
              "dummy video driver, which shows no window");
    EXPECT_EQ(Application::displayProblem("offscreen", nullptr, "", "\n"),
              "No display could be opened (DISPLAY \"\", WAYLAND_DISPLAY \"\\n\"): SDL fell back to its "
              "offscreen video driver, which shows no window");
}

TEST(ApplicationDisplayTest, AShowingDriverOrOneAskedForIsNoProblem) {
    for (const char* driver : {"x11", "wayland", "KMSDRM"})
        EXPECT_EQ(Application::displayProblem(driver, nullptr, ":5", nullptr), "") << driver;
    EXPECT_EQ(Application::displayProblem("offscreen", "offscreen", ":5", nullptr), "");
    EXPECT_EQ(Application::displayProblem("dummy", "x11,dummy", nullptr, nullptr), "");
}

// GLEW as built for the desktop finds no GLX display under an EGL context,
// whatever SDL's driver (x11 asked for EGL among them), having loaded the
// entry points before it looked; every other failure ends the start.
TEST(ApplicationDisplayTest, OnlyTheMissingGLXDisplayIsAcceptedFromGLEW) {
    EXPECT_TRUE(Application::glewResultAccepted(GLEW_OK));
    EXPECT_TRUE(Application::glewResultAccepted(GLEW_ERROR_NO_GLX_DISPLAY));
    for (const std::uint32_t failure :
         {std::uint32_t(GLEW_ERROR_NO_GL_VERSION), std::uint32_t(GLEW_ERROR_GL_VERSION_10_ONLY),
          std::uint32_t(GLEW_ERROR_GLX_VERSION_11_ONLY), std::uint32_t(5)})
        EXPECT_FALSE(Application::glewResultAccepted(failure)) << failure;
}

// A Wayland window made maximised or full screen answers the compositor's
// first configuration with the size it was made with, which ends the
// connection: under Wayland those are asked once it is shown.
TEST(ApplicationFlagsTest, UnderWaylandMaximisedAndFullScreenAreAskedOnceTheWindowIsShown) {
    Application::Parameters p;
    p.maximized = true;
    EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), "wayland"),
              std::uint32_t(SDL_WINDOW_MAXIMIZED));
    p.fullscreen = true;
    EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), "wayland"),
              std::uint32_t(SDL_WINDOW_FULLSCREEN_DESKTOP));
    p.fullscreen = false;
    p.maximized = false;
    EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), "wayland"), 0u);
}

TEST(ApplicationFlagsTest, UnderOtherDriversTheWindowIsMadeAsAsked) {
    Application::Parameters p;
    p.maximized = true;
    for (const char* driver : {"x11", "offscreen", "KMSDRM", "Wayland", ""})
        EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), driver), 0u) << driver;
    EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), nullptr), 0u);
    p.fullscreen = true;
    EXPECT_EQ(Application::flagsAfterShowing(Application::windowFlagsFor(p), "x11"), 0u);
}
