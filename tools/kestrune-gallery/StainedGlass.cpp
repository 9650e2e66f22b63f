#include "tools/kestrune-gallery/StainedGlass.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/ArrayBuffer.h"

namespace {

using RGB = Canvas::RGB;

struct Cell {
    double x, y;
    RGB colour;
};

} // namespace

Canvas StainedGlass::draw(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    TAVO::MersenneTwister random;
    TAVO::ArrayBuffer<4> seed;
    seed.data()[0] = 7;
    random.seed(seed);

    // Cells on a jittered grid, so that they are of similar size.
    const std::uint32_t columns = 11, rows = 8;
    const double cw = double(width) / columns, ch = double(height) / rows;
    const double hues[] = {0.0, 0.08, 0.13, 0.33, 0.47, 0.58, 0.66, 0.78, 0.92};
    std::vector<Cell> cells;
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::uint32_t c = 0; c < columns; ++c) {
            double p[5];
            random.readDouble(p, 5, 1.0);
            const double hue = hues[std::uint32_t(p[2] * 9.0) % 9] + 0.03 * (p[3] - 0.5);
            cells.push_back({(c + 0.15 + 0.7 * p[0]) * cw, (r + 0.15 + 0.7 * p[1]) * ch,
                             Canvas::hsv(hue, 0.62 + 0.25 * p[4], 0.78 + 0.18 * p[3])});
        }

    const RGB lead{0.07, 0.07, 0.09};
    const double leadHalf = 2.6;
    const double diagonal = std::hypot(double(width), double(height));
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            std::size_t first = 0, second = 0;
            double d1 = 1e30, d2 = 1e30;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const double d = (cells[i].x - px) * (cells[i].x - px) + (cells[i].y - py) * (cells[i].y - py);
                if (d < d1) {
                    second = first;
                    d2 = d1;
                    first = i;
                    d1 = d;
                } else if (d < d2) {
                    second = i;
                    d2 = d;
                }
            }
            // The distance to the border between the two nearest cells.
            const double gap = std::hypot(cells[first].x - cells[second].x, cells[first].y - cells[second].y);
            const double edge = (d2 - d1) / (2.0 * gap);
            // Glass is brighter at a cell's heart and where the light comes from.
            const double heart = std::exp(-std::sqrt(d1) / (0.9 * cw));
            const double light = 1.0 - 0.35 * std::hypot(px, py) / diagonal;
            RGB glass = cells[first].colour;
            const double shade = (0.72 + 0.28 * heart) * light;
            glass = {glass.red * shade, glass.green * shade, glass.blue * shade};
            glass = Canvas::mix(glass, RGB{1.0, 0.98, 0.9}, 0.12 * heart * light);
            canvas.at(x, y) = Canvas::mix(lead, glass, std::clamp(edge - leadHalf + 0.5, 0.0, 1.0));
        }
    // A lead frame round the window.
    const double frame = 6.0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const double inside = std::min({x + 0.5, y + 0.5, width - x - 0.5, height - y - 0.5});
            canvas.blend(x, y, lead, std::clamp(frame - inside + 0.5, 0.0, 1.0));
        }
    return canvas;
}
