#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "geometry/Angle.h"
#include "geometry/Hyperplane.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Hypersphere.h"
#include "geometry/LineSegment.h"
#include "geometry/MatrixSquareLight.h"
#include "geometry/Pose2D.h"
#include "geometry/Ray.h"
#include "geometry/RotationDescription.h"
#include "SerializedBytes.h"

using namespace TAVO;
using namespace GeometryTest;

namespace {
using P2f = Point<2, float>;
using P2i = Point<2, int>;
using P2u = Point<2, unsigned int>;
using V2f = Vector<2, float>;
using T2u = Tuple<2, unsigned int>;
using T2f = Tuple<2, float>;
using T2i = Tuple<2, int>;
using M2 = MatrixSquareLight<2, float>;
using M3 = MatrixSquareLight<3, float>;
using M1 = MatrixSquareLight<1, float>;
using M22 = MatrixLight<2, 2, float>;
using M23 = MatrixLight<2, 3, float>;
using M32 = MatrixLight<3, 2, float>;
using RectU = Hyperrectangle<2, unsigned int>;
using RectF = Hyperrectangle<2, float>;
using RectI = Hyperrectangle<2, int>;
using Plane = Hyperplane<2, float>;
using Sphere = Hypersphere<2, float>;
using Segment = LineSegment<2, float>;
using RotationD = RotationDescription<2, float>;
using Pose2f = Pose2D<float, Angle>;
using Ray2f = Ray<2, float>;
} // namespace

TEST(GeometryValues, SerialisedSizesAndBytes) {
    const Pose2f pose(P2f(1.0f, 2.0f), Angle(0.5));
    EXPECT_EQ(hexOf(pose), packed("<2fd", "1.0, 2.0, 0.5"));
    EXPECT_EQ(hexOf(RectU(P2u(0u, 0u), T2u(128u, 128u))),
              packed("<4I", "0, 0, 128, 128"));
    EXPECT_EQ(hexOf(RectF(P2f(-1.0f, 2.5f), V2f(3.0f, 4.0f))),
              packed("<4f", "-1.0, 2.5, 3.0, 4.0"));
    EXPECT_EQ(hexOf(Plane(V2f(0.0f, 1.0f), 2.0f)), packed("<3f", "0.0, 1.0, 2.0"));
    EXPECT_EQ(hexOf(Sphere(P2f(1.0f, 2.0f), 3.0f)), packed("<3f", "1, 2, 3"));
    EXPECT_EQ(serialized(Segment(P2f(0.0f, 0.0f), P2f(3.0f, 4.0f))).size(), 20u);
    EXPECT_EQ(hexOf(RotationD(Angle(-1.25))), packed("<d", "-1.25"));
    EXPECT_EQ(hexOf(M2{1, 2, 3, 4}), packed("<4f", "1, 2, 3, 4"));
    EXPECT_EQ(serialized(M3()).size(), 36u);
}

TEST(GeometryValues, PoseRoundTrip) {
    const Pose2f pose(P2f(-3.5f, 8.0f), Angle(2.75));
    Pose2f read;
    deserialize(serialized(pose), read);
    EXPECT_EQ(read.position(), pose.position());
    EXPECT_EQ(read.orientation(), pose.orientation());
}

TEST(GeometryValues, RectangleContainsIsHalfOpen) {
    const RectF r(P2f(1.0f, 1.0f), T2f(2.0f, 3.0f));
    EXPECT_TRUE(r.contains(P2f(1.0f, 1.0f)));
    EXPECT_TRUE(r.contains(P2f(2.999f, 3.999f)));
    EXPECT_FALSE(r.contains(P2f(3.0f, 2.0f)));
    EXPECT_FALSE(r.contains(P2f(2.0f, 4.0f)));
    EXPECT_FALSE(r.contains(P2f(0.999f, 2.0f)));

    // An extent reaching past the largest value does not wrap.
    const RectU wide(P2u(4000000000u, 0u),
                                               T2u(400000000u, 10u));
    EXPECT_TRUE(wide.contains(P2u(4294967295u, 5u)));
    EXPECT_FALSE(wide.contains(P2u(3u, 5u)));
}

TEST(GeometryValues, BoundingRectangleOfPoints) {
    const std::vector<P2i> points{{3, -1}, {-2, 4}, {5, 0}};
    const auto box = RectI::bounding(points);
    EXPECT_EQ(box.origin(), P2i(-2, -1));
    EXPECT_EQ(box.extent(), T2i(7, 5));
    EXPECT_THROW(RectI::bounding({}), UnexpectedValueException);
}

TEST(GeometryValues, PlaneOffsetFromAPoint) {
    EXPECT_EQ(Plane(V2f(0.0f, 1.0f), P2f(3.0f, 2.0f)).offset(), 2.0f);
    EXPECT_EQ(Plane(V2f(0.6f, 0.8f), P2f(3.0f, 4.0f)).offset(),
              0.0f + 0.6f * 3.0f + 0.8f * 4.0f);
}

TEST(GeometryValues, SegmentRecipeIsExact) {
    const P2f a(0.1f, 0.7f), b(3.3f, -2.9f);
    const Segment segment(a, b);
    const float dx = b[0] - a[0], dy = b[1] - a[1];
    const float squares = dx * dx + dy * dy;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squares)));
    EXPECT_EQ(segment.length(), length);
    EXPECT_EQ(segment.ray().direction(), V2f(dx / length, dy / length));
    EXPECT_EQ(segment.ray().origin(), a);

    const Segment empty(a, a);
    EXPECT_EQ(empty.length(), 0.0f);
    const float diagonal = static_cast<float>(1.0 / std::sqrt(2.0));
    EXPECT_EQ(empty.ray().direction(), V2f(diagonal, diagonal));
}

TEST(GeometryValues, RayNormalisesItsDirection) {
    const Ray2f ray(P2f(1.0f, 1.0f), V2f(3.0f, 4.0f));
    EXPECT_EQ(ray.direction(), V2f(0.6f, 0.8f));
}

TEST(GeometryValues, AngleNormalisation) {
    const double pi = std::numbers::pi;
    auto reference = [pi](double a) {
        double k = std::trunc((a + pi) / (2 * pi));
        if (a < 0)
            k -= 1;
        return a - 2 * pi * k;
    };
    EXPECT_EQ((Angle(1.0) + Angle(2.0)).value(), 3.0);        // [0, pi) stays
    EXPECT_EQ((Angle(2.0) + Angle(2.0)).value(), 4.0 - 2 * pi); // [pi, 3pi) moves down
    EXPECT_EQ((-Angle(1e-9)).value(), -1e-9 + 2 * pi);          // just below 0 moves up
    EXPECT_EQ((-Angle(pi + 0.5)).value(), -(pi + 0.5) + 2 * pi);
    for (double a = -20.0; a < 20.0; a += 0.37)
        ASSERT_EQ(Angle::normalize(a), reference(a)) << a;
    EXPECT_TRUE(std::isnan(Angle::normalize(std::nan(""))));
    EXPECT_TRUE(std::isfinite(Angle::normalize(1e300)));
}

TEST(GeometryValues, SquareMatrices) {
    M2 m{1, 2, 3, 4};
    m.transpose();
    EXPECT_EQ(m, (M2{1, 3, 2, 4}));
    M1 single{5};
    single.transpose();
    EXPECT_EQ(single[0][0], 5.0f);

    const M3 identity;
    EXPECT_EQ(identity, (M3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    try {
        identity[3];
        FAIL();
    } catch (const BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 3u);
        EXPECT_EQ(e.bound(), 3u);
        EXPECT_EQ(e.message(), "Value (3) out of bound (3). ");
    }

    const M23 a{1, 2, 3, 4, 5, 6};
    const M32 b{7, 8, 9, 10, 11, 12};
    M22 product;
    M22::product(a, b, product);
    EXPECT_EQ(product, (M22{58, 64, 139, 154}));
    EXPECT_THROW((M22{1, 2, 3}), UnexpectedValueException);
}
