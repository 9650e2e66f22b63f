#include "game/TableDrawing.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "game/Camera.h"
#include "game/FrameTarget.h"
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

void TableDrawing::puzzleLoaded(PartMeshSet meshes, const Puzzle& puzzle, const Tuple<2, float>& puzzleSize,
                                const Picture& picture) {
    parts_.load(std::move(meshes), puzzle, puzzleSize, picture);
    background_.setPicture(parts_.picture());
    background_.resize(parts_.puzzleSize());
}

bool TableDrawing::drawTable(const Table& table, std::uint32_t tray, const TrayPose& pose,
                             std::optional<std::uint32_t> carried, bool wireframe) {
    if (table.isEmpty() || !table.hasTray(tray)) {
        layer_.forget();
        return false;
    }
    Tray::Background background = table.background();
    if (table.isComplete())
        background = Tray::Background(Tray::Background::noPreview, background.colour(), background.pattern());
    TableLayer::Record record;
    describe(table, tray, pose, background, carried, wireframe, record);
    switch (layer_.prepare(std::move(record))) {
    case TableLayer::Step::copy:
        layer_.copy();
        return true;
    case TableLayer::Step::keep:
        FrameTarget::clear();
        drawTray(table, tray, pose, background, carried, wireframe);
        layer_.keep();
        return true;
    case TableLayer::Step::draw:
        break;
    }
    FrameTarget::clear();
    drawTray(table, tray, pose, background, carried, wireframe);
    return true;
}

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void putDouble(double value, TableLayer::Record& record) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    record.push_back(std::uint32_t(bits));
    record.push_back(std::uint32_t(bits >> 32));
}

} // namespace

void TableDrawing::describe(const Table& table, std::uint32_t trayId, const TrayPose& pose,
                            const Tray::Background& background, std::optional<std::uint32_t> leftOut, bool wireframe,
                            TableLayer::Record& record) const {
    const Tray& tray = table.tray(trayId);
    const Tuple<2, unsigned int>& viewport = camera_.viewport();
    record.reserve(24 + 9 * tray.partCount());
    const TAVO::Tuple<3, float>& colour = background.colour().rgb();
    const Tuple<2, float> preview = background_.pictureShape().size();
    record.insert(record.end(), {parts_.generation(), parts_.loaded() ? 1u : 0u, trayId, leftOut ? 1u : 0u,
                                 leftOut.value_or(0u), wireframe ? 1u : 0u, viewport[0], viewport[1]});
    record.insert(record.end(), {bitsOf(pose.position()[0]), bitsOf(pose.position()[1]), bitsOf(pose.level())});
    record.insert(record.end(), {background.preview(), background.pattern(), bitsOf(colour[0]), bitsOf(colour[1]),
                                 bitsOf(colour[2]), background_.patternSize(), bitsOf(preview[0]),
                                 bitsOf(preview[1])});
    for (Tray::PartIterator it = tray.parts(); it.valid(); it.next()) {
        const std::uint32_t part = it.current();
        const Tray::Pose at = tray.partPose(part);
        const TAVO::Hyperrectangle<2, float> bounds = table.part(part).bounds();
        record.insert(record.end(), {part, bitsOf(at.position()[0]), bitsOf(at.position()[1]),
                                     bitsOf(bounds.origin()[0]), bitsOf(bounds.origin()[1]),
                                     bitsOf(bounds.extent()[0]), bitsOf(bounds.extent()[1])});
        putDouble(at.orientation().value(), record);
    }
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
    const Tuple<2, unsigned int> viewport = camera_.viewport();
    for (Tray::PartIterator it = tray.parts(); it.valid(); it.next()) {
        const std::uint32_t part = it.current();
        if (leftOut && *leftOut == part)
            continue;
        const TAVO::Hyperrectangle<2, float> bounds = table.part(part).bounds();
        const Matrix3 matrix = camera_.tableToClipMatrix(bounds, pose, tray.partPose(part));
        if (mayShow(bounds, matrix, viewport))
            parts_.draw(part, matrix);
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

bool TableDrawing::mayShow(const Hyperrectangle<2, float>& bounds, const Matrix3& transformation,
                           const Tuple<2, unsigned int>& viewport) {
    // The drawing only scales and moves a mesh, without turning it: the
    // corners of its bounds span its box in clip space. A part's mesh lies
    // within its bounds; the margin keeps a part drawn whose rim reaches
    // into the view by rounding or by a wireframe line's width.
    const float* m = transformation.data();
    if (m[1] != 0.0f || m[3] != 0.0f || m[6] != 0.0f || m[7] != 0.0f || m[8] != 1.0f)
        return true;
    constexpr float marginPixels = 8.0f;
    for (int i = 0; i < 2; ++i) {
        if (viewport[i] == 0)
            return true;
        const float scale = m[4 * i];
        const float offset = m[3 * i + 2];
        const float a = scale * bounds.origin()[i] + offset;
        const float b = scale * (bounds.origin()[i] + bounds.extent()[i]) + offset;
        const float margin = 2.0f * marginPixels / static_cast<float>(viewport[i]);
        // Not finite: left to the driver, as before.
        if (!(std::isfinite(a) && std::isfinite(b)))
            return true;
        if (std::max(a, b) < -1.0f - margin || std::min(a, b) > 1.0f + margin)
            return false;
    }
    return true;
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
