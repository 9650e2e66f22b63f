#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/Polygon.h"

namespace GeometryTest {

// Random test polygons: star-shaped outlines, outlines with jigsaw tabs, and
// clockwise holes that keep clear of the outline and of each other.
class PolygonShapes {
public:
    explicit PolygonShapes(unsigned int seed) : random_(seed) {}

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // A counter-clockwise star around (cx, cy) with radii in [inner, outer].
    std::vector<std::uint32_t> star(Polygon& polygon, double cx, double cy, double inner, double outer, int points,
                                    bool clockwise = false) {
        std::vector<std::uint32_t> contour;
        const double offset = uniform(0.0, 6.28);
        for (int i = 0; i < points; ++i) {
            const double angle = offset + 2.0 * std::numbers::pi * (i + uniform(-0.3, 0.3)) / points;
            const double radius = uniform(inner, outer);
            contour.push_back(polygon.addPoint(
                TAVO::Point<2, float>(float(cx + radius * std::cos(angle)), float(cy + radius * std::sin(angle)))));
        }
        if (clockwise)
            std::reverse(contour.begin(), contour.end());
        return contour;
    }

    // A jigsaw piece outline: a square of the given size whose sides carry a
    // round-headed tab on a narrow neck, bulging outwards, inwards or absent;
    // counter-clockwise, about `points` points, with a little jitter.
    std::vector<std::uint32_t> jigsaw(Polygon& polygon, double x0, double y0, double size, int points) {
        std::vector<std::uint32_t> contour;
        const int perSide = std::max(12, points / 4);
        const double corners[5][2] = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}, {x0, y0}};
        const double jitter = size * 1e-4;
        for (int side = 0; side < 4; ++side) {
            const double ax = corners[side][0], ay = corners[side][1];
            const double dx = (corners[side + 1][0] - ax) / size, dy = (corners[side + 1][1] - ay) / size;
            // Outwards is to the right of the direction of travel.
            const double nx = dy, ny = -dx;
            auto add = [&](double s, double n) {
                contour.push_back(polygon.addPoint(TAVO::Point<2, float>(
                    float(ax + size * (s * dx + n * nx) + uniform(-jitter, jitter)),
                    float(ay + size * (s * dy + n * ny) + uniform(-jitter, jitter)))));
            };
            const int kind = integer(0, 2); // 0 flat, 1 out, 2 in
            const double sign = kind == 2 ? -1.0 : 1.0;
            const double c = uniform(0.45, 0.55), r = uniform(0.07, 0.1), w = r * uniform(0.5, 0.7);
            const double neck = uniform(0.03, 0.06);
            const double beta = std::asin(w / r), cy = neck + r * std::cos(beta);
            const int straight = kind == 0 ? perSide : perSide / 2;
            // The straight part before the tab (or the whole side).
            const int before = kind == 0 ? straight : straight / 2;
            const double stop = kind == 0 ? 1.0 : c - w;
            for (int i = 0; i < before; ++i)
                add(stop * (i + (i == 0 ? 0.0 : uniform(-0.3, 0.3))) / before, 0.0);
            if (kind == 0)
                continue;
            add(c - w, 0.0);
            const int arc = perSide - straight;
            for (int i = 0; i <= arc; ++i) {
                const double phi = -std::numbers::pi / 2 - beta - (2 * std::numbers::pi - 2 * beta) * i / arc;
                add(c + r * std::cos(phi), sign * (cy + r * std::sin(phi)));
            }
            add(c + w, 0.0);
            const int after = straight - before;
            for (int i = 1; i <= after; ++i)
                add(c + w + (1.0 - c - w) * (i - 0.5 + uniform(-0.3, 0.3)) / after, 0.0);
        }
        return contour;
    }

private:
    std::mt19937 random_;
};

} // namespace GeometryTest
