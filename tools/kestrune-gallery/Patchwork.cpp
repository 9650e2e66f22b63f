#include "tools/kestrune-gallery/Patchwork.h"

#include <algorithm>
#include <cmath>

namespace {

using RGB = Canvas::RGB;

const double pi = 3.14159265358979323846;

// How much of the motif covers the point (u, v) in -1..1 of its patch.
double motif(int kind, double u, double v, double pixel) {
    const double r = std::hypot(u, v);
    switch (kind) {
    case 0: { // rings
        const double band = std::fabs(std::fmod(r * 4.0, 1.0) - 0.5);
        return std::clamp((0.25 - band) / (4.0 * pixel) + 0.5, 0.0, 1.0) * (r < 0.9 ? 1.0 : 0.0);
    }
    case 1: { // diagonal stripes
        const double band = std::fabs(std::fmod((u + v + 4.0) * 2.5, 1.0) - 0.5);
        return std::clamp((0.22 - band) / (2.5 * pixel * 1.4) + 0.5, 0.0, 1.0);
    }
    case 2: { // a four-petal flower
        const double a = std::atan2(v, u);
        const double petal = 0.35 + 0.45 * std::fabs(std::cos(2.0 * a));
        return std::clamp((petal - r) / pixel + 0.5, 0.0, 1.0);
    }
    default: { // a diamond with a dot
        const double d = std::fabs(u) + std::fabs(v);
        const double diamond = std::clamp((0.75 - d) / pixel + 0.5, 0.0, 1.0) - std::clamp((0.55 - d) / pixel + 0.5, 0.0, 1.0);
        const double dot = std::clamp((0.2 - r) / pixel + 0.5, 0.0, 1.0);
        return std::max(diamond, dot);
    }
    }
}

} // namespace

Canvas Patchwork::draw(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    const std::uint32_t columns = 8, rows = 6;
    const double pw = double(width) / columns, ph = double(height) / rows;
    const double golden = 0.6180339887498949;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t c = std::min(columns - 1, std::uint32_t(x / pw));
            const std::uint32_t r = std::min(rows - 1, std::uint32_t(y / ph));
            const std::uint32_t index = r * columns + c;
            // Neighbouring patches far apart on the colour wheel.
            const double hue = std::fmod(0.93 + index * golden * 0.55, 1.0);
            const RGB ground = Canvas::hsv(hue, 0.55, 0.88);
            const RGB figure = Canvas::hsv(std::fmod(hue + 0.45, 1.0), 0.65, 0.62);
            const double u = ((x + 0.5) - (c + 0.5) * pw) / (pw / 2.0);
            const double v = ((y + 0.5) - (r + 0.5) * ph) / (ph / 2.0);
            const double pixel = 2.0 / pw;
            RGB colour = Canvas::mix(ground, figure, motif(int((r + c * 3) % 4), u, v, pixel));
            // The seam between patches and a dashed stitch inside it.
            const double edge = std::min(1.0 - std::fabs(u), 1.0 - std::fabs(v)) * pw / 2.0;
            colour = Canvas::mix(colour, RGB{0.25, 0.14, 0.10}, std::clamp(1.5 - edge, 0.0, 1.0));
            const double along = std::fabs(u) > std::fabs(v) ? v : u;
            const bool dash = std::fmod((along + 1.0) * pw / 2.0, 12.0) < 7.0;
            if (dash && edge > 6.0 && edge < 8.0)
                colour = Canvas::mix(colour, RGB{0.97, 0.93, 0.82}, 0.85);
            // A soft fold of the cloth.
            const double fold = 0.94 + 0.06 * std::sin(2.0 * pi * (x / double(width) * 1.3 + y / double(height) * 0.7));
            canvas.at(x, y) = {colour.red * fold, colour.green * fold, colour.blue * fold};
        }
    return canvas;
}
