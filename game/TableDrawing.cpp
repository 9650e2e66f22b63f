#include "game/TableDrawing.h"

#include <GL/glew.h>

#include <algorithm>

#include "game/Camera.h"
#include "game/ShaderSet.h"
#include "model/Table.h"
#include "sdlgl/Checks.h"
#include "ui/menu/MenuStyle.h"

using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;

namespace {

void polygonMode(GLenum mode) {
    glPolygonMode(GL_FRONT_AND_BACK, mode);
    TAVO::IK::SDLGL::checkGLError();
}

} // namespace

TableDrawing::TableDrawing(Camera& camera, ShaderSet& shaders, const TAVO::Parameters& configuration, TAVO::Log& log,
                           Lighting lighting)
    : camera_(camera), parts_(shaders, lighting), background_(camera, shaders.shapeShader(), configuration, log) {
    background_.createPatterns(configuration);
}

void TableDrawing::puzzleLoaded(const PartMeshSet& meshes, const Puzzle& puzzle, const Tuple<2, float>& puzzleSize,
                                const Picture& picture) {
    parts_.load(meshes, puzzle, puzzleSize, picture);
    background_.setPicture(parts_.picture());
    background_.resize(parts_.puzzleSize());
}

void TableDrawing::drawTable(const Table& table, std::uint32_t tray, const TrayPose& pose,
                             std::optional<std::uint32_t> carried, bool wireframe) {
    if (table.isEmpty() || !table.hasTray(tray))
        return;
    Tray::Background background = table.background();
    if (table.isComplete())
        background = Tray::Background(Tray::Background::noPreview, background.colour(), background.pattern());
    drawTray(table, tray, pose, background, carried, wireframe);
}

void TableDrawing::drawTray(const Table& table, std::uint32_t trayId, const TrayPose& pose,
                            const Tray::Background& background, std::optional<std::uint32_t> leftOut,
                            bool wireframe) {
    background_.setBackground(background);
    background_.setPose(pose);
    background_.draw();
    const Tray& tray = table.tray(trayId);
    if (tray.isEmpty() || !parts_.loaded())
        return;
    parts_.use();
    if (wireframe)
        polygonMode(GL_LINE);
    for (Tray::PartIterator it = tray.parts(); it.valid(); it.next()) {
        const std::uint32_t part = it.current();
        if (leftOut && *leftOut == part)
            continue;
        parts_.draw(part, camera_.tableToClipMatrix(table.part(part).bounds(), pose, tray.partPose(part)));
    }
    if (wireframe)
        polygonMode(GL_FILL);
}

void TableDrawing::drawCarriedPart(const Table& table, std::uint32_t part, const Tray::Pose& pose,
                                   const TrayPose& trayPose) {
    if (!parts_.loaded() || table.parts().count(part) == 0)
        return;
    parts_.use();
    parts_.draw(part, camera_.tableToClipMatrix(table.part(part).bounds(), trayPose, pose));
}

void TableDrawing::drawPartIcon(const Table& table, std::uint32_t part, const Point<2, float>& hover, bool onIcon) {
    Matrix3 matrix;
    if (!parts_.loaded() || table.parts().count(part) == 0 ||
        !iconTransformation(table.part(part).bounds(), hover, onIcon, camera_.viewport(), matrix))
        return;
    parts_.use();
    parts_.draw(part, matrix);
}

float TableDrawing::iconSide(bool onIcon) {
    const float side = std::min(static_cast<float>(MenuStyle::trayIconHeight), 100.0f) * 0.85f;
    return onIcon ? side : side * 1.3f;
}

bool TableDrawing::iconTransformation(const Hyperrectangle<2, float>& bounds, const Point<2, float>& hover,
                                      bool onIcon, const Tuple<2, unsigned int>& viewport, Matrix3& matrix) {
    const float width = bounds.extent()[0];
    const float height = bounds.extent()[1];
    if (!(width > 0.0f && height > 0.0f) || viewport[0] == 0 || viewport[1] == 0)
        return false;
    const float side = iconSide(onIcon);
    const float k = std::min(side / width, side / height);
    float scale[2];
    float offset[2];
    for (int i = 0; i < 2; ++i) {
        // The picture's extent in pixels, then in normalised units.
        const float extent = 2.0f * (k * bounds.extent()[i]) / static_cast<float>(viewport[i]);
        scale[i] = extent / bounds.extent()[i];
        offset[i] = hover[i] - extent / 2.0f - bounds.origin()[i] * scale[i];
    }
    matrix = Matrix3({scale[0], 0.0f, offset[0], 0.0f, scale[1], offset[1], 0.0f, 0.0f, 1.0f});
    return true;
}
