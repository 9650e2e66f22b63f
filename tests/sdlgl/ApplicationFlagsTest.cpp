#include <gtest/gtest.h>

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
