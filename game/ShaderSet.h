#pragma once

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <memory>

#include "game/Lighting.h"
#include "game/PartProgram.h"
#include "sdlgl/Program.h"
#include "sdlgl/Uniform.h"
#include "sdlgl/VertexArrayObject.h"
#include "ui/GLShapeShader.h"

namespace TAVO {
class Package;
}

// Every GPU program of the game, built once from the GLSL sources of the
// resource package: the outline program, the three part programs and the
// three interface programs that make the shape shader of the menu and the
// tray background. Main thread only, with the OpenGL context current.
class ShaderSet {
public:
    // One source: its kind, the include files joined in front of it (bit 0
    // "shaders/part_base.vert.inc", 1 "shaders/part_base.frag.inc", 2
    // "shaders/part_light.frag.inc", 3 "shaders/ui_base.vert.inc", in bit
    // order) and its own file. A row's place in the table is its source
    // number in the builder.
    struct Source {
        GLenum kind;
        std::uint32_t includes;
        const char* path;
    };
    static const std::array<Source, 14> sources;
    static const std::array<const char*, 4> includeFiles;
    // The GLSL version every source is compiled for, and the edge records
    // each vertex of the attribute meshes carries.
    static constexpr int glslVersion = 130;
    static constexpr std::uint32_t edgeRecords = 12;

    // Builds every program. strict (developer mode) makes compiler and
    // linker warnings errors. A source that cannot be read, compiled or
    // linked throws ShaderBuildException.
    ShaderSet(const TAVO::Package& package, bool strict);

    // The part program of a lighting mode.
    const PartProgram& partProgram(Lighting lighting) const;
    // The interface programs as the shape shader of every shape.
    GLShapeShader& shapeShader() { return *shapeShader_; }
    // The outline program with its two crossing lines; built, drawn by
    // nothing so far.
    const TAVO::IK::SDLGL::Program& outlineProgram() const { return outline_; }
    const TAVO::IK::SDLGL::VertexArrayObject& outline() const { return outlineArray_; }

private:
    TAVO::IK::SDLGL::Program outline_;
    TAVO::IK::SDLGL::Uniform outlineColor_;
    TAVO::IK::SDLGL::Uniform outlineTransformation_;
    TAVO::IK::SDLGL::VertexArrayObject outlineArray_;
    PartProgram parts_[3];
    std::unique_ptr<GLShapeShader> shapeShader_;
};
