// The camera's mappings between window pixels, normalised coordinates,
// table coordinates and clip space, checked against the worked numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "game/Camera.h"

using TAVO::Hyperrectangle;
using TAVO::Point;
using TAVO::Tuple;
using TAVO::Vector;

namespace {

Camera cameraOf(unsigned int width, unsigned int height) {
    Camera camera;
    camera.setViewport(Tuple<2, unsigned int>(width, height));
    return camera;
}

TrayPose poseOf(float x, float y, float level) { return TrayPose(Vector<2, float>(x, y), level); }

Tray::Pose partPose(float x, float y) { return Tray::Pose(Point<2, float>(x, y), TAVO::Angle(0.0)); }

} // namespace

TEST(CameraTest, AtTheOriginTheWindowCentreIsTheTableOrigin) {
    Camera camera = cameraOf(801, 601);
    const TrayPose origin = poseOf(0, 0, 0);
    const Point<2, float> centre = camera.pixelToNormalized(400, 300);
    EXPECT_EQ(centre[0], 0.0f);
    EXPECT_EQ(centre[1], 0.0f);
    const Point<2, float> table = camera.tablePoint(origin, centre);
    EXPECT_EQ(table[0], 0.0f);
    EXPECT_EQ(table[1], 0.0f);

    const Hyperrectangle<2, float> visible = camera.visibleRectangle(origin);
    EXPECT_EQ(visible.origin()[0], -400.0f);
    EXPECT_EQ(visible.origin()[0] + visible.extent()[0], 400.0f);
    EXPECT_EQ(visible.origin()[1], -300.0f);
    EXPECT_EQ(visible.extent()[1], 600.0f);
    // The window's corners reach the rectangle's corners.
    const Point<2, float> left = camera.tablePoint(origin, camera.pixelToNormalized(0, 600));
    EXPECT_EQ(left[0], -400.0f);
    EXPECT_EQ(left[1], -300.0f);
}

TEST(CameraTest, PointersOutsideTheWindowAreClampedToItsEdge) {
    const Camera camera = cameraOf(801, 601);
    const Point<2, float> outside = camera.pixelToNormalized(-50, 5000);
    const Point<2, float> edge = camera.pixelToNormalized(0, 601);
    EXPECT_EQ(outside[0], -1.0f);
    EXPECT_EQ(outside[0], edge[0]);
    EXPECT_EQ(outside[1], edge[1]);
    // y = height flips to row -1, just below -1; y = 0 to the top row, 1.
    EXPECT_FLOAT_EQ(edge[1], -1.0f - 2.0f / 600.0f);
    EXPECT_EQ(camera.pixelToNormalized(0, 0)[1], 1.0f);
    EXPECT_EQ(camera.pixelToNormalized(900, 0)[0], 1.0f + 2.0f / 800.0f);
}

TEST(CameraTest, PosesMoveAndZoomTheView) {
    Camera camera = cameraOf(801, 601);
    // Level 1 shows half a unit a pixel; the position is minus the centre.
    const TrayPose pose = poseOf(100, -20, 1);
    const Point<2, float> centre = camera.tablePoint(pose, Point<2, float>(0, 0));
    EXPECT_EQ(centre[0], -100.0f);
    EXPECT_EQ(centre[1], 20.0f);
    const Point<2, float> corner = camera.tablePoint(pose, Point<2, float>(1, 1));
    EXPECT_EQ(corner[0], -100.0f + 200.0f);
    EXPECT_EQ(corner[1], 20.0f + 150.0f);
    EXPECT_EQ(Camera::pixelsToTableUnits(pose, 15.0f), 7.5f);
    EXPECT_EQ(Camera::pixelsToTableUnits(poseOf(0, 0, -2), 15.0f), 60.0f);
}

TEST(CameraTest, PartsAreDrawnAtTheirTrayPlace) {
    Camera camera = cameraOf(800, 600);
    // A mesh point at the corner of its bounds lands at the part's position
    // moved by the tray, scaled by 2^level and 2 / window.
    const Hyperrectangle<2, float> bounds(Point<2, float>(64, 128), Tuple<2, float>(64, 64));
    const TrayPose tray = poseOf(-50, 25, 1);
    const auto& map = camera.tableToClip(bounds, tray, partPose(100, 10));
    const Point<2, float> clip = map.transform(Point<2, float>(64, 128));
    EXPECT_FLOAT_EQ(clip[0], (100.0f - 50.0f) * 2.0f * 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(clip[1], (10.0f + 25.0f) * 2.0f * 2.0f / 600.0f);
    // The matrix the programs get maps the same way.
    const Camera::Matrix3 m = camera.tableToClipMatrix(bounds, tray, partPose(100, 10));
    EXPECT_FLOAT_EQ(m[0][0] * 64 + m[0][1] * 128 + m[0][2], clip[0]);
    EXPECT_FLOAT_EQ(m[1][0] * 64 + m[1][1] * 128 + m[1][2], clip[1]);
    EXPECT_EQ(m[2][2], 1.0f);
    // The table point under a drawn point is within a pixel of it.
    const Point<2, float> table = camera.tablePoint(tray, clip);
    EXPECT_NEAR(table[0], 100.0f - 50.0f + 50.0f, 0.5f);
}

TEST(CameraTest, TheWheelKeepsThePointUnderThePointer) {
    Camera camera = cameraOf(801, 601);
    const TrayPose pose = poseOf(30, -40, 0.5f);
    const Point<2, float> pointer = camera.pixelToNormalized(123, 456);
    const Point<2, float> before = camera.tablePoint(pose, pointer);
    for (float steps : {1.0f, 3.0f, -7.0f}) {
        const TrayPose zoomed = camera.wheelZoom(pose, pointer, steps, true);
        EXPECT_FLOAT_EQ(zoomed.level(), 0.5f + 0.1f * steps);
        const Point<2, float> after = camera.tablePoint(zoomed, pointer);
        EXPECT_NEAR(after[0], before[0], 1e-3f);
        EXPECT_NEAR(after[1], before[1], 1e-3f);
    }
}

TEST(CameraTest, TheWheelKeepsTheLevelWithinItsLimitsUnlessToldNot) {
    Camera camera = cameraOf(640, 480);
    const Point<2, float> pointer(0.25f, -0.5f);
    const TrayPose top = camera.wheelZoom(poseOf(5, 5, 1.95f), pointer, 3, true);
    EXPECT_EQ(top.level(), 2.0f);
    // At the limit further steps change nothing, the position included.
    const TrayPose again = camera.wheelZoom(top, pointer, 1, true);
    EXPECT_EQ(again.level(), 2.0f);
    EXPECT_EQ(again.position()[0], top.position()[0]);
    EXPECT_EQ(again.position()[1], top.position()[1]);
    EXPECT_EQ(camera.wheelZoom(poseOf(0, 0, -5.95f), pointer, -10, true).level(), -6.0f);
    // Developer mode is not clamped.
    EXPECT_FLOAT_EQ(camera.wheelZoom(poseOf(0, 0, 1.95f), pointer, 3, false).level(), 2.25f);
}

// A window of one pixel (or none) has no interior: every mapping stays
// finite instead of dividing by zero.
TEST(CameraTest, ViewportsWithoutInteriorMapToFiniteValues) {
    for (unsigned int side : {0u, 1u}) {
        Camera camera = cameraOf(side, 600);
        const TrayPose pose = poseOf(3, 4, 0);
        const Point<2, float> normalized = camera.pixelToNormalized(10, 10);
        const Point<2, float> table = camera.tablePoint(pose, normalized);
        const Hyperrectangle<2, float> visible = camera.visibleRectangle(pose);
        const Point<2, float> clip = camera.tableToClip(visible, pose, partPose(1, 1)).transform(Point<2, float>(1, 1));
        for (float v : {normalized[0], normalized[1], table[0], table[1], visible.extent()[0], clip[0], clip[1]})
            EXPECT_TRUE(std::isfinite(v)) << side;
        EXPECT_EQ(visible.extent()[0], 0.0f);
        EXPECT_EQ(clip[0], 0.0f);
        const TrayPose zoomed = camera.wheelZoom(pose, normalized, 1, true);
        EXPECT_TRUE(std::isfinite(zoomed.position()[0]) && std::isfinite(zoomed.position()[1]));
    }
}
