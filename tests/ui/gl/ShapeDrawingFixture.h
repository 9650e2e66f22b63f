#pragma once

// The fixture of the interface's drawing tests: the shape shader built from
// the interface programs, render targets, pixel checks and pictures kept for
// looking at.

#include <GL/glew.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sdlgl/ProgramBuilder.h"
#include "support/gl/GLTest.h"
#include "ui/GLShapeShader.h"

namespace UiTest {

using KestruneGLTest::GLTest;
using KestruneGLTest::RenderTarget;
using KestruneGLTest::Resources;
using TAVO::IK::SDLGL::Program;
using TAVO::IK::SDLGL::ProgramBuilder;

// The three interface programs, built as the view builds them.
inline std::unique_ptr<GLShapeShader> makeShader() {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    builder.setPackage(&Resources::package());
    std::vector<Program> programs;
    for (const char* name : {"ui_shape", "ui_shape_color", "ui_shape_texture"}) {
        builder.clear();
        const unsigned int vertex = builder.loadSource(GL_VERTEX_SHADER, "shaders/ui_base.vert.inc");
        builder.loadSource(GL_VERTEX_SHADER, std::string("shaders/") + name + ".vert", vertex);
        builder.loadSource(GL_FRAGMENT_SHADER, std::string("shaders/") + name + ".frag");
        programs.push_back(builder.build());
    }
    return std::make_unique<GLShapeShader>(programs[0], programs[1], programs[2]);
}

class ShapeDrawing : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NO_THROW(shader = makeShader());
    }
    void TearDown() override {
        shader.reset();
        GLTest::TearDown();
    }

    // A target of the given size cleared to the colour, bound for drawing.
    std::unique_ptr<RenderTarget> target(std::uint32_t w, std::uint32_t h, float r = 0, float g = 0, float b = 0) {
        auto t = std::make_unique<RenderTarget>(w, h);
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return t;
    }

    // Keeps a picture of the drawing when KESTRUNE_DRAWINGS names a folder.
    static void keep(const RenderTarget& t, const std::string& name) {
        if (const char* folder = std::getenv("KESTRUNE_DRAWINGS"))
            t.writePNG(std::string(folder) + "/" + name + ".png");
    }

    static void expectPixel(const std::vector<std::uint8_t>& pixels, std::uint32_t width, std::uint32_t x,
                            std::uint32_t y, int r, int g, int b, int tolerance = 2) {
        const std::uint8_t* p = RenderTarget::pixel(pixels, width, x, y);
        EXPECT_NEAR(p[0], r, tolerance) << "at " << x << ", " << y;
        EXPECT_NEAR(p[1], g, tolerance) << "at " << x << ", " << y;
        EXPECT_NEAR(p[2], b, tolerance) << "at " << x << ", " << y;
    }

    std::unique_ptr<GLShapeShader> shader;
};

} // namespace UiTest
