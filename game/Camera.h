#pragma once

#include <cstdint>
#include <memory>

#include "geometry/Hyperrectangle.h"
#include "geometry/MatrixSquareLight.h"
#include "geometry/Point.h"
#include "geometry/Transformation.h"
#include "geometry/Tuple.h"
#include "model/Tray.h"
#include "model/TrayPose.h"

// Turns window pixels into table coordinates and table coordinates into clip
// coordinates. It keeps no view position of its own: what is shown is the
// current tray's pose, so every mapping takes it.
//
// Three spaces: window pixels (x right, y down, as SDL reports them);
// normalised coordinates (x and y in [-1, 1], y up; the pointer and the
// menu's components live there); table coordinates (the parts' poses on a
// tray). A tray pose's level L shows 2^-L table units per pixel.
//
// A viewport side below 2 pixels has no interior to map: every division by
// such a side gives 0 instead, so the mappings stay finite.
class Camera {
public:
    using Affine = TAVO::Transformation<2, float>::Affine;
    using AffineInvertible = TAVO::Transformation<2, float>::AffineInvertible;
    using Matrix3 = TAVO::MatrixSquareLight<3, float>;

    // The zoom levels a player may reach outside developer mode, and the
    // level change of one wheel step.
    static constexpr float minimumLevel = -6.0f;
    static constexpr float maximumLevel = 2.0f;
    static constexpr float wheelStep = 0.1f;

    // A viewport of 0 x 0.
    Camera();

    // The window's size in pixels; rebuilds the viewport transformation
    // (pixels to normalised coordinates).
    void setViewport(const TAVO::Tuple<2, unsigned int>& size);
    const TAVO::Tuple<2, unsigned int>& viewport() const { return size_; }

    // x is clamped to [0, width] and y to [0, height], then y flips to
    // height - y - 1 and the point is mapped to normalised coordinates.
    TAVO::Point<2, float> pixelToNormalized(std::int32_t x, std::int32_t y) const;
    // The map from normalised to table coordinates for the tray pose:
    // p * (viewport - 1) / 2 * 2^-level - position. The returned map is
    // replaced by the next call.
    const Affine& normalizedToTable(const TrayPose& pose);
    // The table point under a normalised point.
    TAVO::Point<2, float> tablePoint(const TrayPose& pose, const TAVO::Point<2, float>& normalized);
    // The map of a part's mesh (in puzzle coordinates) into clip space:
    // ((v - bounds origin + part position + tray position) * 2^level) * 2 /
    // viewport. The part's angle is not applied. The returned map is
    // replaced by the next call.
    const AffineInvertible& tableToClip(const TAVO::Hyperrectangle<2, float>& bounds, const TrayPose& tray,
                                        const Tray::Pose& part);
    // The homogeneous matrix of tableToClip, as the part programs take it.
    Matrix3 tableToClipMatrix(const TAVO::Hyperrectangle<2, float>& bounds, const TrayPose& tray,
                              const Tray::Pose& part);
    // The table region the window shows for the pose: -position minus half
    // the viewport (less one pixel) in table units, and twice that.
    TAVO::Hyperrectangle<2, float> visibleRectangle(const TrayPose& pose) const;
    // A length in pixels in table units: length * 2^-level.
    static float pixelsToTableUnits(const TrayPose& pose, float length);

    // The pose after the wheel turned by steps over the pointer (normalised):
    // the level moves by wheelStep a step (kept within [minimumLevel,
    // maximumLevel] when clamped) and the position so that the table point
    // under the pointer stays where it was.
    TrayPose wheelZoom(const TrayPose& pose, const TAVO::Point<2, float>& pointer, float steps, bool clamped);
    // The level kept within [minimumLevel, maximumLevel].
    static float clampLevel(float level);

private:
    // 2 / (side - 1), (side - 1) / 2 and 2 / side, each 0 for a side below 2.
    static float pixelFactor(unsigned int side);
    static float halfSpan(unsigned int side);
    static float clipFactor(unsigned int side);

    using Composite = TAVO::Transformation<2, float>::CompositeAffineInvertible;

    TAVO::Tuple<2, unsigned int> size_{0u, 0u};
    std::unique_ptr<Composite> drawing_;
    std::unique_ptr<Composite> viewportMap_;
    std::unique_ptr<Composite> pointer_;
};
