#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "Cuts.h"
#include "foundation/exceptions/BoundException.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/CubicBezier.h"
#include "model/edges/RandomDirectionEdgeFactory.h"
#include "model/edges/ReverseEdge.h"
#include "model/edges/StraightEdge.h"

using namespace ModelTest;
using TAVO::Point;
using TAVO::Vector;
using P2f = Point<2, float>;

namespace {

std::unique_ptr<Edge> classicEdge(ScriptedSource& random, P2f from, P2f to, float scale = 1.0f,
                                  std::uint32_t samples = 0, float spacing = 7.5f) {
    ClassicEdgeFactory factory(&random, scale, samples, spacing);
    std::unique_ptr<Edge> edge;
    factory.create(edge, from, to);
    return edge;
}

// The shape values that put every draw at the middle of its range.
ClassicEdge::Shape middleShape() {
    return {0.3f, 0.0f, -0.02f, -0.02f, 0.25f, 0.0f, 0.25f, 0.5f, 0.25f, 0.5f};
}

// The classic edge evaluated in double from its definition, as a reference.
struct ReferenceEdge {
    double fx, fy, tx, ty;
    ClassicEdge::Shape s;

    void at(double a, double b, double& x, double& y) const {
        const double dx = tx - fx, dy = ty - fy;
        x = fx + dx * a - dy * b;
        y = fy + dy * a + dx * b;
    }
    // B(t) (first curve) or C(t) (second).
    void curve(bool second, double t, double& x, double& y) const {
        const double dx = tx - fx, dy = ty - fy, L = std::hypot(dx, dy);
        double p[4][2];
        double ax, ay, hx, hy, dsx, dsy;
        at(0.5 + s[1] - s[0] * 0.5, s[2], ax, ay);
        at(0.5 + s[1] + s[0] * 0.5, s[3], dsx, dsy);
        at(0.5 + s[5], s[4], hx, hy);
        if (!second) {
            const double la = std::hypot(ax - fx, ay - fy);
            p[0][0] = ax, p[0][1] = ay;
            p[1][0] = ax + (ax - fx) / la * L * s[6], p[1][1] = ay + (ay - fy) / la * L * s[6];
            p[2][0] = hx - dx * s[7], p[2][1] = hy - dy * s[7];
            p[3][0] = hx, p[3][1] = hy;
        } else {
            const double ld = std::hypot(tx - dsx, ty - dsy);
            p[0][0] = hx, p[0][1] = hy;
            p[1][0] = hx + dx * s[9], p[1][1] = hy + dy * s[9];
            p[2][0] = dsx - (tx - dsx) / ld * L * s[8], p[2][1] = dsy - (ty - dsy) / ld * L * s[8];
            p[3][0] = dsx, p[3][1] = dsy;
        }
        const double u = 1 - t;
        const double w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
        x = y = 0;
        for (int i = 0; i < 4; ++i)
            x += w[i] * p[i][0], y += w[i] * p[i][1];
    }
};

} // namespace

TEST(StraightEdge, ZeroLengthEdgeHasTheDiagonalDirectionAndOnePlace) {
    const StraightEdge edge(P2f(3.0f, 4.0f), P2f(3.0f, 4.0f));
    EXPECT_EQ(bitsOf(edge.segment().ray().direction()[0]), 0x3F3504F3u);
    EXPECT_EQ(bitsOf(edge.segment().ray().direction()[1]), 0x3F3504F3u);
    EXPECT_EQ(edge.segment().length(), 0.0f);
    EXPECT_EQ(edge.pointCount(), 2u);
    EXPECT_EQ(edge.point(0), P2f(3.0f, 4.0f));
    EXPECT_EQ(edge.point(1), P2f(3.0f, 4.0f));
    EXPECT_EQ(edge.pointAt(0.7f), P2f(3.0f, 4.0f));
}

TEST(StraightEdge, PointsBoundsAndDistance) {
    const StraightEdge edge(P2f(10.0f, 5.0f), P2f(2.0f, -1.0f)); // length 10
    EXPECT_EQ(edge.point(0), P2f(10.0f, 5.0f));
    EXPECT_EQ(edge.point(1), P2f(2.0f, -1.0f));
    EXPECT_EQ(edge.point(99), P2f(2.0f, -1.0f)); // beyond the count: the end
    EXPECT_EQ(edge.pointAt(0.5f), P2f(6.0f, 2.0f));
    EXPECT_EQ(edge.pointAt(1.5f), P2f(-2.0f, -4.0f)); // any t
    const auto bounds = edge.bounds();
    EXPECT_EQ(bounds.origin(), P2f(2.0f, -1.0f));
    EXPECT_EQ(bounds.extent()[0], 8.0f);
    EXPECT_EQ(bounds.extent()[1], 6.0f);
    // Across the middle, before the start, beyond the end.
    EXPECT_NEAR(edge.distance(P2f(6.0f - 3.0f, 2.0f + 4.0f)), 5.0f, 1e-5f);
    EXPECT_NEAR(edge.distance(P2f(14.0f, 8.0f)), 5.0f, 1e-5f);
    EXPECT_NEAR(edge.distance(P2f(2.0f, -6.0f)), 5.0f, 1e-5f);
    EXPECT_NEAR(edge.distance(P2f(2.0f, -1.0f)), 0.0f, 1e-5f);
}

TEST(CubicBezier, EndsWeightsAndBounds) {
    const CubicBezier curve(P2f(0.0f, 0.0f), Vector<2, float>(1.0f, 2.0f), P2f(4.0f, 0.0f),
                            Vector<2, float>(-1.0f, 2.0f));
    EXPECT_EQ(curve.at(0.0f), P2f(0.0f, 0.0f));
    EXPECT_EQ(curve.at(1.0f), P2f(4.0f, 0.0f));
    // Control points (0,0) (1,2) (3,2) (4,0): B(0.5) = (2, 1.5) exactly.
    EXPECT_EQ(curve.at(0.5f), P2f(2.0f, 1.5f));
    EXPECT_THROW(curve.at(-0.001f), TAVO::BoundException<float>);
    try {
        curve.at(1.5f);
        FAIL();
    } catch (const TAVO::BoundException<float>& e) {
        EXPECT_EQ(e.bound(), 1.0f);
        EXPECT_EQ(e.message(), "Value (1.5) out of bound (1). ");
    }
    try {
        curve.at(-0.25f);
        FAIL();
    } catch (const TAVO::BoundException<float>& e) {
        EXPECT_EQ(e.bound(), 0.0f);
    }
    // Not-a-number is refused by neither comparison and stays a value.
    EXPECT_TRUE(std::isnan(curve.at(std::numeric_limits<float>::quiet_NaN())[0]));
    // The sampled distance is exact at a sample and never below the true distance.
    EXPECT_EQ(curve.distance(curve.at(float(4) / 15.0f)), 0.0f);
    for (int i = 0; i < 50; ++i) {
        const P2f p(float(i % 10) * 0.6f - 1.0f, float(i / 10) * 0.9f - 1.0f);
        double dense = INFINITY;
        for (int k = 0; k <= 1000; ++k) {
            const P2f q = curve.at(float(k) / 1000.0f);
            dense = std::min(dense, std::hypot(double(p[0]) - q[0], double(p[1]) - q[1]));
        }
        EXPECT_GE(curve.distance(p), dense - 1e-5);
        EXPECT_LE(curve.distance(p), dense + 0.3);
    }
}

TEST(ClassicEdgeFactory, SampleCounts) {
    ScriptedSource random;
    ClassicEdgeFactory automatic(&random, 1.0f, 0, 7.5f);
    EXPECT_EQ(automatic.samplesFor(64.0f), 14u); // ceilf(12.8) + 1
    EXPECT_EQ(automatic.samplesFor(0.0f), 2u);
    EXPECT_EQ(automatic.samplesFor(5.0f), 2u);
    EXPECT_EQ(automatic.samplesFor(5.01f), 3u);
    EXPECT_EQ(automatic.samplesFor(630.0f), 127u);
    EXPECT_EQ(automatic.samplesFor(640.0f), 128u);
    EXPECT_EQ(automatic.samplesFor(1.0e30f), 128u);
    EXPECT_EQ(classicEdge(random, P2f(0.0f, 0.0f), P2f(64.0f, 0.0f))->pointCount(), 16u);
    EXPECT_EQ(classicEdge(random, P2f(0.0f, 0.0f), P2f(0.0f, 64.0f), 1.0f, 16, 0.0f)->pointCount(), 19u);
    EXPECT_EQ(classicEdge(random, P2f(0.0f, 0.0f), P2f(1.0f, 0.0f), 1.0f, 16, 0.0f)->pointCount(), 19u);
    EXPECT_EQ(classicEdge(random, P2f(0.0f, 0.0f), P2f(1.0f, 0.0f), 1.0f, 200, 0.0f)->pointCount(), 130u);
    // 0xFFFFFFFF + 1 wraps to 0: automatic.
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0xFFFFFFFFu, 7.5f).samplesFor(64.0f), 14u);
}

TEST(ClassicEdgeFactory, DegenerateSpacingGivesBoundedCountsNotUndefinedConversions) {
    ScriptedSource random;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Spacing 0: an infinite quotient for a real edge, not-a-number for none.
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, 0.0f).samplesFor(10.0f), 128u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, 0.0f).samplesFor(0.0f), 2u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, nan).samplesFor(10.0f), 2u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, -7.5f).samplesFor(64.0f), 2u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, 1.0e-30f).samplesFor(1.0e30f), 128u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, 7.5f).samplesFor(inf), 128u);
    EXPECT_EQ(ClassicEdgeFactory(&random, 1.0f, 0, 7.5f).samplesFor(-inf), 2u);
    // An edge between far-apart points still gets at most 130 points.
    EXPECT_EQ(classicEdge(random, P2f(-3e38f, 0.0f), P2f(3e38f, 0.0f))->pointCount(), 130u);
}

TEST(ClassicEdgeFactory, DrawOrderRangesAndScale) {
    ScriptedSource random;
    for (int i = 0; i < 10; ++i)
        random.floats.push_back(0.001f * float(i + 1));
    const auto edge = classicEdge(random, P2f(0.0f, 0.0f), P2f(100.0f, 0.0f), 2.0f);
    const auto* classic = dynamic_cast<const ClassicEdge*>(edge.get());
    ASSERT_NE(classic, nullptr);
    const ClassicEdge::Shape& s = classic->shape();
    const float r[10] = {0.001f, 0.002f, 0.003f, 0.004f, 0.005f, 0.006f, 0.007f, 0.008f, 0.009f, 0.010f};
    EXPECT_EQ(s[0], (r[0] + 0.25f) * 2.0f);
    EXPECT_EQ(s[1], r[1] - 0.1f); // never scaled
    EXPECT_EQ(s[2], (r[2] - 0.03f) * 2.0f);
    EXPECT_EQ(s[3], (r[3] - 0.03f) * 2.0f);
    EXPECT_EQ(s[4], (r[4] + 0.2f) * 2.0f);
    EXPECT_EQ(s[5], (r[5] - 0.05f) * 2.0f);
    EXPECT_EQ(s[6], (r[6] + 0.2f) * 2.0f);
    EXPECT_EQ(s[7], (r[7] + 0.45f) * 2.0f);
    EXPECT_EQ(s[8], (r[8] + 0.2f) * 2.0f);
    EXPECT_EQ(s[9], (r[9] + 0.45f) * 2.0f);
    const std::uint32_t scales[10] = {0x3DCCCCCC, 0x3E4CCCCD, 0x3CA3D70A, 0x3CA3D70A, 0x3DCCCCCE,
                                      0x3DCCCCCD, 0x3DCCCCCE, 0x3DE147B0, 0x3DCCCCCE, 0x3DE147B0};
    ASSERT_EQ(random.floatScales.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bitsOf(random.floatScales[i]), scales[i]) << i;
    EXPECT_TRUE(random.choiceModuli.empty());
}

TEST(ClassicEdgeFactory, DrawnValuesStayInTheirRanges) {
    ScriptedSource random(12345);
    const float low[10] = {0.25f, -0.1f, -0.03f, -0.03f, 0.2f, -0.05f, 0.2f, 0.45f, 0.2f, 0.45f};
    const float high[10] = {0.35f, 0.1f, -0.01f, -0.01f, 0.3f, 0.05f, 0.3f, 0.56f, 0.3f, 0.56f};
    for (int n = 0; n < 500; ++n) {
        const auto edge = classicEdge(random, P2f(0.0f, 0.0f), P2f(64.0f, 0.0f));
        const auto& s = dynamic_cast<const ClassicEdge&>(*edge).shape();
        for (int i = 0; i < 10; ++i) {
            EXPECT_GE(s[i], low[i] - 1e-6f);
            EXPECT_LE(s[i], high[i] + 1e-6f);
        }
    }
    EXPECT_EQ(random.draws, 5000u);
}

TEST(RandomDirectionEdgeFactory, DirectionDrawComesFirstAndZeroReverses) {
    ScriptedSource random;
    ClassicEdgeFactory inner(&random, 1.0f, 0, 7.5f);
    RandomDirectionEdgeFactory factory(&inner, &random);
    const P2f from(0.0f, 0.0f), to(64.0f, 0.0f);

    random.choices = {1};
    std::unique_ptr<Edge> forward;
    factory.create(forward, from, to);
    ASSERT_NE(dynamic_cast<const ClassicEdge*>(forward.get()), nullptr);
    EXPECT_EQ(dynamic_cast<const ClassicEdge&>(*forward).from(), from);
    EXPECT_EQ(random.draws, 11u);
    EXPECT_EQ(random.choiceModuli, std::vector<std::uint32_t>{2u});

    random.choices = {0};
    std::unique_ptr<Edge> backward;
    factory.create(backward, from, to);
    const auto* reverse = dynamic_cast<const ReverseEdge*>(backward.get());
    ASSERT_NE(reverse, nullptr);
    const auto& wrapped = dynamic_cast<const ClassicEdge&>(reverse->wrapped());
    EXPECT_EQ(wrapped.from(), to);
    EXPECT_EQ(wrapped.to(), from);
    EXPECT_EQ(random.draws, 22u);
    // Still from the first point to the second; the head on the other side.
    EXPECT_NEAR(backward->point(0)[0], 0.0f, 1e-4f);
    EXPECT_NEAR(backward->point(backward->pointCount() - 1)[0], 64.0f, 1e-4f);
    EXPECT_GT(forward->pointAt(0.5f)[1], 10.0f);
    EXPECT_LT(backward->pointAt(0.5f)[1], -10.0f);
}

TEST(ReverseEdge, MirrorsPointsAndAnIndexBeyondTheCountGivesTheEnd) {
    auto inner = std::make_shared<ClassicEdge>(P2f(0.0f, 0.0f), P2f(64.0f, 0.0f), middleShape(), 16u);
    const ReverseEdge reverse(inner);
    ASSERT_EQ(reverse.pointCount(), 16u);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(reverse.point(i), inner->point(15 - i));
    // The end of the reversed edge is the start of the wrapped one, however
    // far beyond the count the index lies.
    EXPECT_EQ(reverse.point(16), inner->point(0));
    EXPECT_EQ(reverse.point(1000), inner->point(0));
    EXPECT_EQ(reverse.point(0xFFFFFFFFu), inner->point(0));
    EXPECT_EQ(reverse.pointAt(0.25f), inner->pointAt(0.75f));
    EXPECT_EQ(reverse.bounds(), inner->bounds());
    EXPECT_EQ(reverse.distance(P2f(30.0f, 30.0f)), inner->distance(P2f(30.0f, 30.0f)));
}

TEST(ClassicEdge, ZeroLengthEdgeCollapsesToItsStart) {
    ScriptedSource random;
    const auto edge = classicEdge(random, P2f(5.0f, 7.0f), P2f(5.0f, 7.0f));
    ASSERT_EQ(edge->pointCount(), 4u);
    for (std::uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(edge->point(i), P2f(5.0f, 7.0f));
}

TEST(ClassicEdge, FollowsTheCurveComputedInDouble) {
    ScriptedSource random(99);
    for (int n = 0; n < 50; ++n) {
        const P2f from(float(n * 3), float(n % 7)), to(float(n * 3 + 40 + n), float(n % 7 + n - 20));
        const auto edge = classicEdge(random, from, to);
        const auto& classic = dynamic_cast<const ClassicEdge&>(*edge);
        const ReferenceEdge reference{from[0], from[1], to[0], to[1], classic.shape()};
        const std::uint32_t c = edge->pointCount(), h = c / 2;
        const double tolerance = 1e-4 * std::hypot(to[0] - from[0], to[1] - from[1]);
        EXPECT_EQ(edge->point(0), from);
        EXPECT_NEAR(edge->point(c - 1)[0], to[0], tolerance);
        EXPECT_NEAR(edge->point(c - 1)[1], to[1], tolerance);
        for (std::uint32_t i = 1; i + 1 < c; ++i) {
            double x, y;
            if (i < h)
                reference.curve(false, double(i - 1) / (h - 1), x, y);
            else
                reference.curve(true, double(i - h) / (c - h - 1), x, y);
            EXPECT_NEAR(edge->point(i)[0], x, tolerance) << n << " " << i;
            EXPECT_NEAR(edge->point(i)[1], y, tolerance) << n << " " << i;
        }
        // The apex is point h, pointAt(0.5), and lies on the normal's side.
        double hx, hy;
        reference.at(0.5 + classic.shape()[5], classic.shape()[4], hx, hy);
        EXPECT_EQ(edge->point(h), edge->pointAt(0.5f));
        EXPECT_NEAR(edge->point(h)[0], hx, tolerance);
        EXPECT_NEAR(edge->point(h)[1], hy, tolerance);
        EXPECT_EQ(edge->distance(edge->point(h)), 0.0f);
        EXPECT_EQ(edge->distance(from), 0.0f);
    }
}

TEST(ClassicEdge, PointAtWalksTheQuartersAndExtendsTheNecks) {
    const ClassicEdge edge(P2f(0.0f, 0.0f), P2f(100.0f, 0.0f), middleShape(), 20u);
    // Neck A runs from (0, 0) to (35, -2): a quarter of t covers it.
    EXPECT_EQ(edge.pointAt(0.0f), P2f(0.0f, 0.0f));
    const P2f neckEnd = edge.pointAt(0.25f);
    EXPECT_NEAR(neckEnd[0], 35.0f, 1e-4f);
    EXPECT_NEAR(neckEnd[1], -2.0f, 1e-4f);
    const P2f beyond = edge.pointAt(-0.25f);
    EXPECT_NEAR(beyond[0], -35.0f, 1e-4f);
    EXPECT_NEAR(beyond[1], 2.0f, 1e-4f);
    const P2f apex = edge.pointAt(0.5f);
    EXPECT_NEAR(apex[0], 50.0f, 1e-4f);
    EXPECT_NEAR(apex[1], 25.0f, 1e-4f);
    const P2f neckStart = edge.pointAt(0.75f);
    EXPECT_NEAR(neckStart[0], 65.0f, 1e-4f);
    EXPECT_NEAR(neckStart[1], -2.0f, 1e-4f);
    const P2f end = edge.pointAt(1.0f);
    EXPECT_NEAR(end[0], 100.0f, 1e-4f);
    EXPECT_NEAR(end[1], 0.0f, 1e-4f);
}

TEST(ClassicEdge, BoundsCoverStartEndApexAndNeckEnds) {
    const ClassicEdge edge(P2f(0.0f, 0.0f), P2f(100.0f, 0.0f), middleShape(), 40u);
    const auto bounds = edge.bounds();
    EXPECT_EQ(bounds.origin()[0], 0.0f);
    EXPECT_NEAR(bounds.origin()[1], -2.0f, 1e-4f);
    EXPECT_EQ(bounds.extent()[0], 100.0f);
    EXPECT_NEAR(bounds.extent()[1], 27.0f, 1e-4f);
    // With these tangents the head never rises above its apex.
    float highest = -1.0f;
    for (std::uint32_t i = 0; i < edge.pointCount(); ++i)
        highest = std::max(highest, edge.point(i)[1]);
    EXPECT_LE(highest, 25.0f + 1e-3f);
}

TEST(ClassicEdge, DistanceIsTheNearestOfNecksAndSampledCurves) {
    const ClassicEdge edge(P2f(0.0f, 0.0f), P2f(100.0f, 0.0f), middleShape(), 130u);
    // Below the first neck, the distance is to the segment from (0,0) to (35,-2).
    const double expected = segmentDistance(10.0, -20.0, 0.0, 0.0, 35.0, -2.0);
    EXPECT_NEAR(edge.distance(P2f(10.0f, -20.0f)), expected, 1e-4);
    // Never closer than the dense polyline of the curve.
    for (int i = 0; i < 200; ++i) {
        const P2f p(float(i % 20) * 6.0f - 10.0f, float(i / 20) * 5.0f - 15.0f);
        double dense = INFINITY;
        for (std::uint32_t j = 1; j < edge.pointCount(); ++j)
            dense = std::min(dense, segmentDistance(p[0], p[1], edge.point(j - 1)[0], edge.point(j - 1)[1],
                                                    edge.point(j)[0], edge.point(j)[1]));
        EXPECT_GE(edge.distance(p), dense - 0.05) << p[0] << "," << p[1];
        EXPECT_LE(edge.distance(p), dense + 6.0) << p[0] << "," << p[1];
    }
}
