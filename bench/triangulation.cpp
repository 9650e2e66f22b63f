// Triangulates jigsaw-like piece outlines (300 to 600 points each) and reports
// the time and the triangle count. With a file name it also writes the outlines
// as JSON (one flat coordinate list per outline) for a peer triangulator.
//
//   bench_triangulation [count] [outlines.json]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <vector>

#include "geometry/PolygonTriangulator.h"

using namespace TAVO;

namespace {

// A square with a round-headed tab on a narrow neck on each side, bulging out,
// in or absent, counter-clockwise.
Polygon jigsaw(std::mt19937& random, int points) {
    auto uniform = [&random](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    Polygon polygon;
    std::vector<std::uint32_t> contour;
    const double size = 100.0;
    const int perSide = points / 4;
    const double corners[5][2] = {{0, 0}, {size, 0}, {size, size}, {0, size}, {0, 0}};
    for (int side = 0; side < 4; ++side) {
        const double ax = corners[side][0], ay = corners[side][1];
        const double dx = (corners[side + 1][0] - ax) / size, dy = (corners[side + 1][1] - ay) / size;
        auto add = [&](double s, double n) {
            contour.push_back(polygon.addPoint(Point<2, float>(float(ax + size * (s * dx + n * dy)),
                                                               float(ay + size * (s * dy - n * dx)))));
        };
        const int kind = std::uniform_int_distribution<int>(0, 2)(random);
        const double sign = kind == 2 ? -1.0 : 1.0;
        const double c = uniform(0.45, 0.55), r = uniform(0.07, 0.1), w = r * uniform(0.5, 0.7);
        const double beta = std::asin(w / r), cy = uniform(0.03, 0.06) + r * std::cos(beta);
        const int straight = kind == 0 ? perSide : perSide / 2;
        const int before = kind == 0 ? straight : straight / 2;
        const double stop = kind == 0 ? 1.0 : c - w;
        for (int i = 0; i < before; ++i)
            add(stop * i / before, 0.0);
        if (kind == 0)
            continue;
        const int arc = perSide - straight;
        for (int i = 0; i <= arc; ++i) {
            const double phi = -std::numbers::pi / 2 - beta - (2 * std::numbers::pi - 2 * beta) * i / arc;
            add(c + r * std::cos(phi), sign * (cy + r * std::sin(phi)));
        }
        const int after = straight - before;
        for (int i = 1; i <= after; ++i)
            add(c + w + (1.0 - c - w) * i / (after + 1), 0.0);
    }
    polygon.addContour(contour);
    return polygon;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::mt19937 random(12345);
    std::vector<Polygon> outlines;
    std::size_t points = 0;
    for (int i = 0; i < count; ++i) {
        outlines.push_back(jigsaw(random, std::uniform_int_distribution<int>(300, 600)(random)));
        points += outlines.back().points().size();
    }
    if (argc > 2) {
        std::ofstream out(argv[2]);
        out.precision(9);
        out << "[";
        for (std::size_t i = 0; i < outlines.size(); ++i) {
            out << (i ? ",\n[" : "[");
            const auto& p = outlines[i].points();
            for (std::size_t k = 0; k < p.size(); ++k)
                out << (k ? "," : "") << p[k][0] << "," << p[k][1];
            out << "]";
        }
        out << "]\n";
    }

    std::vector<Tuple<3, unsigned int>> triangles;
    const auto start = std::chrono::steady_clock::now();
    for (const Polygon& outline : outlines)
        PolygonTriangulator(outline, Vector<2, float>(0.0f, 1.0f), true).triangulate(triangles);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("{\"outlines\": %d, \"points\": %zu, \"seconds\": %.6f, \"triangles\": %zu}\n", count, points, seconds,
                triangles.size());
    return 0;
}
