#include "game/Camera.h"

#include <algorithm>
#include <cmath>

using Transformation = TAVO::Transformation<2, float>;
using TAVO::Point;
using TAVO::Vector;

namespace {

// 2^level, as the tray pose's own scale computes 2^-level.
float levelScale(float level) { return static_cast<float>(std::exp2(static_cast<double>(level))); }

std::unique_ptr<Transformation::Scale> scale(float x, float y) {
    return std::make_unique<Transformation::Scale>(Vector<2, float>(x, y));
}

std::unique_ptr<Transformation::Translation> translation(float x, float y) {
    return std::make_unique<Transformation::Translation>(Vector<2, float>(x, y));
}

} // namespace

Camera::Camera() { setViewport(TAVO::Tuple<2, unsigned int>(0u, 0u)); }

float Camera::pixelFactor(unsigned int side) { return side < 2 ? 0.0f : 2.0f / static_cast<float>(side - 1); }

float Camera::halfSpan(unsigned int side) { return side < 2 ? 0.0f : static_cast<float>(side - 1) / 2.0f; }

float Camera::clipFactor(unsigned int side) { return side < 2 ? 0.0f : 2.0f / static_cast<float>(side); }

void Camera::setViewport(const TAVO::Tuple<2, unsigned int>& size) {
    size_ = size;
    auto map = std::make_unique<Composite>();
    map->append(scale(pixelFactor(size[0]), pixelFactor(size[1])));
    map->append(translation(-1.0f, -1.0f));
    viewportMap_ = std::move(map);
}

Point<2, float> Camera::pixelToNormalized(std::int32_t x, std::int32_t y) const {
    const float width = static_cast<float>(size_[0]);
    const float height = static_cast<float>(size_[1]);
    const float cx = std::clamp(static_cast<float>(x), 0.0f, width);
    const float cy = std::clamp(static_cast<float>(y), 0.0f, height);
    return viewportMap_->transform(Point<2, float>(cx, height - cy - 1.0f));
}

const Camera::Affine& Camera::normalizedToTable(const TrayPose& pose) {
    auto map = std::make_unique<Composite>();
    map->append(scale(halfSpan(size_[0]), halfSpan(size_[1])));
    map->append(scale(pose.scale(), pose.scale()));
    map->append(translation(-pose.position()[0], -pose.position()[1]));
    pointer_ = std::move(map);
    return *pointer_;
}

Point<2, float> Camera::tablePoint(const TrayPose& pose, const Point<2, float>& normalized) {
    return normalizedToTable(pose).transform(normalized);
}

const Camera::AffineInvertible& Camera::tableToClip(const TAVO::Hyperrectangle<2, float>& bounds,
                                                    const TrayPose& tray, const Tray::Pose& part) {
    const float zoom = levelScale(tray.level());
    auto map = std::make_unique<Composite>();
    map->append(translation(-bounds.origin()[0], -bounds.origin()[1]));
    map->append(translation(part.position()[0], part.position()[1]));
    map->append(translation(tray.position()[0], tray.position()[1]));
    map->append(scale(zoom, zoom));
    map->append(scale(clipFactor(size_[0]), clipFactor(size_[1])));
    drawing_ = std::move(map);
    return *drawing_;
}

Camera::Matrix3 Camera::tableToClipMatrix(const TAVO::Hyperrectangle<2, float>& bounds, const TrayPose& tray,
                                          const Tray::Pose& part) {
    Matrix3 matrix;
    tableToClip(bounds, tray, part).multiply(matrix);
    return matrix;
}

TAVO::Hyperrectangle<2, float> Camera::visibleRectangle(const TrayPose& pose) const {
    const float s = pose.scale();
    const float hx = halfSpan(size_[0]) * s;
    const float hy = halfSpan(size_[1]) * s;
    return TAVO::Hyperrectangle<2, float>(Point<2, float>(-pose.position()[0] - hx, -pose.position()[1] - hy),
                                          TAVO::Tuple<2, float>(2.0f * hx, 2.0f * hy));
}

float Camera::pixelsToTableUnits(const TrayPose& pose, float length) { return length * pose.scale(); }

float Camera::clampLevel(float level) { return std::clamp(level, minimumLevel, maximumLevel); }

TrayPose Camera::wheelZoom(const TrayPose& pose, const Point<2, float>& pointer, float steps, bool clamped) {
    float level = pose.level() + wheelStep * steps;
    if (clamped)
        level = clampLevel(level);
    const Point<2, float> before = tablePoint(pose, pointer);
    const Point<2, float> after = tablePoint(TrayPose(Vector<2, float>(0.0f, 0.0f), level), pointer);
    return TrayPose(Vector<2, float>(after[0] - before[0], after[1] - before[1]), level);
}
