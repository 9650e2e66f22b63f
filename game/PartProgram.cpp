#include "game/PartProgram.h"

#include <cmath>

using TAVO::IK::SDLGL::Uniform;

namespace {

double rootOfOneAndAHalf() { return std::sqrt(1.5); }

} // namespace

void PartProgram::lightDirection(float direction[3]) {
    const double root = rootOfOneAndAHalf();
    direction[0] = static_cast<float>(-0.5 / root);
    direction[1] = static_cast<float>(-0.5 / root);
    direction[2] = static_cast<float>(-1.0 / root);
}

float PartProgram::ambient() { return static_cast<float>(1.0 - 1.0 / rootOfOneAndAHalf()); }

float PartProgram::diffuse() { return static_cast<float>(1.0 / rootOfOneAndAHalf()); }

PartProgram::PartProgram(const TAVO::IK::SDLGL::Program& program, Lighting lighting)
    : program_(program),
      lighting_(lighting),
      transformation_(program, "partTransformation"),
      pictureSampler_(program, "pictureSampler"),
      pictureScale_(program, "pictureScale") {
    if (lighting == Lighting::none)
        return;
    lightDirection_ = Uniform(program, "edgeLightDirection");
    edgeSize_ = Uniform(program, "edgeSize");
    ambient_ = Uniform(program, "ambient");
    diffuse_ = Uniform(program, "diffuse");
    specular_ = Uniform(program, "specular");
    shininess_ = Uniform(program, "shininess");
    if (lighting == Lighting::map) {
        mapSampler_ = Uniform(program, "edgeMapSampler");
        mapScale_ = Uniform(program, "edgeMapScale");
    }
}

void PartProgram::use(const TAVO::Vector<2, float>& pictureScale) const {
    program_.use();
    if (lighting_ != Lighting::none) {
        float direction[3];
        lightDirection(direction);
        lightDirection_.setVector3(direction);
        edgeSize_.setFloat(edgeSize);
        ambient_.setFloat(ambient());
        diffuse_.setFloat(diffuse());
        specular_.setFloat(specular);
        shininess_.setFloat(shininess);
    }
    if (lighting_ == Lighting::map) {
        mapSampler_.setInt(1);
        mapScale_.setVector2(pictureScale);
    }
    pictureSampler_.setInt(0);
    pictureScale_.setVector2(pictureScale);
}

void PartProgram::setTransformation(const Matrix3& matrix) const { transformation_.setMatrix3(matrix); }
