#pragma once

#include "game/Lighting.h"
#include "geometry/MatrixSquareLight.h"
#include "geometry/Vector.h"
#include "sdlgl/Program.h"
#include "sdlgl/Uniform.h"

// One of the three programs that draw parts, with its uniforms looked up once:
// every kind has the part transformation and the picture's sampler and scale;
// the lit kinds add the edge light ("edgeLightDirection", "edgeSize",
// "ambient", "diffuse", "specular", "shininess"), the light-map kind its
// map's sampler and scale.
class PartProgram {
public:
    using Matrix3 = TAVO::MatrixSquareLight<3, float>;

    // The view's light: from the upper left, towards the table.
    static constexpr float edgeSize = 5.0f;
    static constexpr float specular = 0.5f;
    static constexpr float shininess = 25.0f;
    // (-0.5, -0.5, -1) / sqrt(1.5), ambient 1 - 1 / sqrt(1.5) and diffuse
    // 1 / sqrt(1.5), computed in double precision and given as floats.
    static void lightDirection(float direction[3]);
    static float ambient();
    static float diffuse();

    PartProgram() = default;
    // A program lacking one of its kind's uniforms throws ShaderException.
    PartProgram(const TAVO::IK::SDLGL::Program& program, Lighting lighting);

    const TAVO::IK::SDLGL::Program& program() const { return program_; }
    Lighting lighting() const { return lighting_; }

    // Makes the program current and sets what every part of a frame shares:
    // the picture's sampler on texture unit 0 and its scale (1 / puzzle
    // size), the light for the lit kinds, and for the light-map kind the
    // map's sampler on texture unit 1 with the same scale.
    void use(const TAVO::Vector<2, float>& pictureScale) const;
    // The map from a part's mesh into clip space, for the program in use.
    void setTransformation(const Matrix3& matrix) const;

private:
    TAVO::IK::SDLGL::Program program_;
    Lighting lighting_ = Lighting::none;
    TAVO::IK::SDLGL::Uniform transformation_;
    TAVO::IK::SDLGL::Uniform pictureSampler_;
    TAVO::IK::SDLGL::Uniform pictureScale_;
    TAVO::IK::SDLGL::Uniform lightDirection_;
    TAVO::IK::SDLGL::Uniform edgeSize_;
    TAVO::IK::SDLGL::Uniform ambient_;
    TAVO::IK::SDLGL::Uniform diffuse_;
    TAVO::IK::SDLGL::Uniform specular_;
    TAVO::IK::SDLGL::Uniform shininess_;
    TAVO::IK::SDLGL::Uniform mapSampler_;
    TAVO::IK::SDLGL::Uniform mapScale_;
};
