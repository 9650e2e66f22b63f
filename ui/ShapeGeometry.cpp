#include "ui/ShapeGeometry.h"

#include <cmath>
#include <numbers>

#include "geometry/Angle.h"
#include "geometry/Vector.h"

namespace {

constexpr float epsilon = 1.1920929e-7f;

// The unit normal (-dy, dx) of the edge from a to b; (0, 0) for an edge too
// short to have one.
TAVO::Vector<2, float> normal(const TAVO::Point<2, float>& a, const TAVO::Point<2, float>& b) {
    const TAVO::Vector<2, float> d = b - a;
    const float length = TAVO::length(d);
    if (!(length >= epsilon))
        return TAVO::Vector<2, float>(0.0f, 0.0f);
    return TAVO::Vector<2, float>(-d[1] / length, d[0] / length);
}

} // namespace

Polygon ShapeGeometry::roundedRectangle(const TAVO::Hyperrectangle<2, float>& rectangle, float radius) {
    const float x = rectangle.origin()[0], y = rectangle.origin()[1];
    const float w = rectangle.extent()[0], h = rectangle.extent()[1];
    const float r = radius;
    // A radius of zero (or not a number) would divide by zero segments.
    const unsigned int n = r > 0.0f ? static_cast<unsigned int>(std::ceil(r / 5.0)) : 1u;
    const TAVO::Point<2, float> centres[4] = {
        {x + w - r, y + h - r},
        {x + r, y + h - r},
        {x + r, y + r},
        {x + w - r, y + r},
    };
    Polygon polygon;
    Polygon::Contour contour;
    for (unsigned int q = 0; q < 4; ++q)
        for (unsigned int i = 0; i <= n; ++i) {
            const double angle =
                TAVO::Angle::normalize(2.0 * std::numbers::pi * (double(i) / double(n) * 0.25 + double(q) * 0.25));
            const TAVO::Point<2, float> p(static_cast<float>(centres[q][0] + r * std::cos(angle)),
                                          static_cast<float>(centres[q][1] + r * std::sin(angle)));
            contour.push_back(polygon.addPoint(p));
        }
    polygon.addContour(contour);
    return polygon;
}

ShapeGeometry::Triangles ShapeGeometry::outline(const Polygon& path, float halfWidth) {
    Triangles result;
    const auto& points = path.points();
    for (const Polygon::Contour& contour : path.contours()) {
        const std::size_t size = contour.size();
        if (size == 0)
            continue;
        const auto first = static_cast<unsigned int>(result.points.size());
        for (std::size_t i = 0; i < size; ++i) {
            const TAVO::Point<2, float>& a = points.at(contour[(i + size - 1) % size]);
            const TAVO::Point<2, float>& v = points.at(contour[i]);
            const TAVO::Point<2, float>& b = points.at(contour[(i + 1) % size]);
            const TAVO::Vector<2, float> n1 = normal(a, v);
            const TAVO::Vector<2, float> n2 = normal(v, b);
            const float denominator = TAVO::dot(n1, n2) + 1.0f;
            TAVO::Vector<2, float> mitre;
            if (denominator >= epsilon)
                mitre = (n1 + n2) * halfWidth / denominator;
            else
                mitre = n1 * halfWidth;
            result.points.push_back(v - mitre);
            result.points.push_back(v);
            result.points.push_back(v + mitre);
        }
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned int p = first + static_cast<unsigned int>(3 * i);
            const unsigned int q = first + static_cast<unsigned int>(3 * ((i + 1) % size));
            result.triangles.emplace_back(p, q, q + 1);
            result.triangles.emplace_back(p, q + 1, p + 1);
            result.triangles.emplace_back(p + 1, q + 1, q + 2);
            result.triangles.emplace_back(p + 1, q + 2, p + 2);
        }
    }
    return result;
}
