#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace KestruneGLTest {

// A second, double-precision account of the piece lighting, written from the
// description of the shaders rather than from their code.
struct EdgeLightOracle {
    using Vec2 = std::array<double, 2>;
    using Vec3 = std::array<double, 3>;

    static constexpr double pi = 3.14159265358979323846;
    // The light the view sets (float values, as the uniforms get them).
    double root = double(float(std::sqrt(1.5)));
    Vec3 light = {double(float(-0.5 / std::sqrt(1.5))), double(float(-0.5 / std::sqrt(1.5))),
                  double(float(-1.0 / std::sqrt(1.5)))};
    double edgeSize = 5.0;
    double ambient = double(float(1.0 - 1.0 / std::sqrt(1.5)));
    double diffuse = double(float(1.0 / std::sqrt(1.5)));
    double specular = 0.5;
    double shininess = 25.0;

    static double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

    // d from 0 (on a cut) to 1 (inside), outwards a unit vector in the plane.
    Vec3 lighting(double d, Vec2 outwards, Vec3 color) const {
        const double c = 1.0 - d;
        const double s = std::sqrt(std::max(0.0, 1.0 - c * c));
        const Vec3 normal = {outwards[0] * c, outwards[1] * c, s};
        const Vec3 toLight = {-light[0], -light[1], -light[2]};
        const double modulation = std::clamp(dot(toLight, normal), 0.0, 1.0) * diffuse + ambient;
        const Vec3 view = {0, 0, -1};
        const double vn = dot(view, normal);
        const Vec3 reflection = {view[0] - 2 * vn * normal[0], view[1] - 2 * vn * normal[1],
                                 view[2] - 2 * vn * normal[2]};
        const double highlight = std::pow(std::max(dot(reflection, toLight), 0.0), shininess) * specular;
        return {color[0] * modulation + highlight, color[1] * modulation + highlight,
                color[2] * modulation + highlight};
    }

    // An edge record (x, y, z, w) of the attribute variant.
    static double recordDistance(const std::array<double, 4>& r) {
        if (r[1] < 0)
            return 1000.0;
        return std::hypot(r[1], std::min({r[2], r[3], 0.0}));
    }
    // Where the sum of the record's terms vanishes, its edge normal.
    static Vec2 recordDirection(const std::array<double, 4>& r) {
        const Vec2 n = {std::cos(2 * pi * r[0]), std::sin(2 * pi * r[0])};
        const Vec2 t = {-n[1], n[0]};
        const double along = std::max(r[1], 0.0);
        const double across = -std::min(r[2], 0.0) + std::min(r[3], 0.0);
        const Vec2 sum = {n[0] * along + t[0] * across, n[1] * along + t[1] * across};
        const double length = std::hypot(sum[0], sum[1]);
        if (length == 0)
            return n;
        return {sum[0] / length, sum[1] / length};
    }
    // The colour of a fragment with these records; the nearest wins, the later on a tie.
    Vec3 attribute(const std::array<std::array<double, 4>, 12>& records, Vec3 color) const {
        std::size_t nearest = 0;
        double best = recordDistance(records[0]);
        for (std::size_t i = 1; i < records.size(); ++i)
            if (recordDistance(records[i]) <= best) {
                best = recordDistance(records[i]);
                nearest = i;
            }
        const Vec2 direction = recordDirection(records[nearest]);
        return lighting(std::min(best, edgeSize) / edgeSize, {-direction[0], -direction[1]}, color);
    }

    // One coded edge of the light map: its distance from the fragment and
    // its normal turned to the fragment's side; `margin` is how far the
    // fragment lies from the side decision.
    struct MapEdge {
        double distance;
        Vec2 normal;
        double margin;
    };
    MapEdge mapEdge(double angleCode, double distanceCode, Vec2 offset) const {
        const double angle = angleCode * 2 * pi;
        const Vec2 n = {std::cos(angle), std::sin(angle)};
        const double s = offset[0] * n[0] + offset[1] * n[1] - distanceCode * (edgeSize + 1);
        const Vec2 normal = s > 0 ? n : Vec2{-n[0], -n[1]};
        return {std::abs(s), normal, std::abs(s)};
    }
    // The colour of the fragment at puzzle position p over a texel of the
    // four codes (bytes / 255). `margin` receives how far the fragment lies
    // from a decision whose outcome changes the colour (which edge is
    // nearer, which side of it the fragment is on), so that callers can skip
    // pixels a rounding could tip.
    Vec3 map(Vec2 p, const std::array<double, 4>& codes, Vec3 color, double& margin) const {
        const Vec2 centre = {std::floor(p[0]) + 0.5, std::floor(p[1]) + 0.5};
        const Vec2 offset = {centre[0] - p[0], centre[1] - p[1]};
        const MapEdge a = mapEdge(codes[0], codes[1], offset);
        const MapEdge b = mapEdge(codes[2], codes[3], offset);
        auto shade = [&](const MapEdge& e) { return lighting(std::min(e.distance / edgeSize, 1.0), e.normal, color); };
        const MapEdge& nearest = a.distance < b.distance ? a : b;
        margin = nearest.margin;
        const Vec3 ca = shade(a), cb = shade(b);
        if (std::abs(ca[0] - cb[0]) + std::abs(ca[1] - cb[1]) + std::abs(ca[2] - cb[2]) > 1e-9)
            margin = std::min(margin, std::abs(a.distance - b.distance));
        return shade(nearest);
    }
};

} // namespace KestruneGLTest
