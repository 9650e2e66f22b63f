#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "geometry/Hyperrectangle.h"
#include "geometry/Polygon.h"
#include "geometry/Vector.h"
#include "ui/ShapeFile.h"

namespace UiTest {

inline const TAVO::Vector<2, float> centre(0.5f, 0.5f);
inline const TAVO::Vector<2, float> lowerLeft(0.0f, 0.0f);
inline const TAVO::Point<2, float> middle(0.0f, 0.0f);
inline const TAVO::Hyperrectangle<2, float> unit(TAVO::Point<2, float>(0, 0), TAVO::Tuple<2, float>(1, 1));

// An axis-aligned square, counter-clockwise.
inline Polygon square(float x, float y, float s) {
    Polygon p;
    p.insertRectangle(TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(x, y), TAVO::Tuple<2, float>(s, s)));
    return p;
}

// Oracles of what a layer fills, in double precision and blind to the order
// of a contour's points.
using Vec2 = std::array<double, 2>;

inline std::vector<std::vector<Vec2>> rings(const ShapeFile::Layer& layer) {
    std::vector<std::vector<Vec2>> result;
    for (const auto& contour : layer.polygon.contours()) {
        std::vector<Vec2>& ring = result.emplace_back();
        for (std::uint32_t i : contour)
            ring.push_back({layer.polygon.points()[i][0], layer.polygon.points()[i][1]});
    }
    return result;
}

// Inside by the even-odd rule.
inline bool evenOddInside(const std::vector<std::vector<Vec2>>& rings, const Vec2& p) {
    bool inside = false;
    for (const auto& r : rings)
        for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
            if ((r[i][1] > p[1]) != (r[j][1] > p[1]) &&
                p[0] < (r[j][0] - r[i][0]) * (p[1] - r[i][1]) / (r[j][1] - r[i][1]) + r[i][0])
                inside = !inside;
    return inside;
}

inline double distanceToSegment(const Vec2& p, const Vec2& a, const Vec2& b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2 : 0.0;
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(a[0] + t * dx - p[0], a[1] + t * dy - p[1]);
}

// The distance to the nearest outline edge.
inline double edgeDistance(const std::vector<std::vector<Vec2>>& rings, const Vec2& p) {
    double best = 1e300;
    for (const auto& r : rings)
        for (std::size_t i = 0; i < r.size(); ++i)
            best = std::fmin(best, distanceToSegment(p, r[i], r[(i + 1) % r.size()]));
    return best;
}

} // namespace UiTest
