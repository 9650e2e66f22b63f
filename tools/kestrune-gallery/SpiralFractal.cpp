#include "tools/kestrune-gallery/SpiralFractal.h"

#include <cmath>

namespace {

using RGB = Canvas::RGB;

const double pi = 3.14159265358979323846;

// Bands running from deep blue through gold to white and back.
RGB palette(double t) {
    return {0.5 + 0.5 * std::cos(2.0 * pi * (t + 0.55)), 0.5 + 0.5 * std::cos(2.0 * pi * (t + 0.65)),
            0.5 + 0.5 * std::cos(2.0 * pi * (t + 0.80))};
}

} // namespace

Canvas SpiralFractal::draw(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    const double centreX = -0.7436438870371587, centreY = 0.1318259042053119;
    const double span = 0.0042 / width;
    const int limit = 900;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const double cr = centreX + (x + 0.5 - width / 2.0) * span;
            const double ci = centreY + (height / 2.0 - y - 0.5) * span;
            double zr = 0.0, zi = 0.0;
            int n = 0;
            while (n < limit && zr * zr + zi * zi < 256.0) {
                const double t = zr * zr - zi * zi + cr;
                zi = 2.0 * zr * zi + ci;
                zr = t;
                ++n;
            }
            if (n == limit) {
                canvas.at(x, y) = RGB{0.02, 0.03, 0.10};
                continue;
            }
            // The smooth iteration count, so that the bands have no steps.
            const double smooth = n + 1.0 - std::log2(std::log2(zr * zr + zi * zi) / 2.0);
            canvas.at(x, y) = palette(std::sqrt(smooth) * 0.23);
        }
    return canvas;
}
