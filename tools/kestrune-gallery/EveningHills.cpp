#include "tools/kestrune-gallery/EveningHills.h"

#include <algorithm>
#include <cmath>

#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/ArrayBuffer.h"

namespace {

using RGB = Canvas::RGB;

const double pi = 3.14159265358979323846;

RGB sky(double t) {
    // t: 0 at the top, 1 at the horizon.
    const RGB top{0.06, 0.08, 0.26}, middle{0.42, 0.24, 0.52}, low{0.98, 0.58, 0.30};
    if (t < 0.55)
        return Canvas::mix(top, middle, t / 0.55);
    return Canvas::mix(middle, low, (t - 0.55) / 0.45);
}

// The height of a ridge (in picture heights from the top) at x in 0..1.
double ridge(int layer, double x) {
    const double base = 0.56 + 0.095 * layer;
    const double amplitude = 0.05 + 0.012 * layer;
    const double f = 1.4 + 0.6 * layer;
    return base - amplitude * (0.6 * std::sin(2.0 * pi * (f * x + 0.17 * layer)) +
                               0.3 * std::sin(2.0 * pi * (2.3 * f * x + 0.41 * layer + 0.2)) +
                               0.1 * std::sin(2.0 * pi * (5.1 * f * x + 0.07 * layer)));
}

} // namespace

Canvas EveningHills::draw(std::uint32_t width, std::uint32_t height) {
    Canvas canvas(width, height);
    const double w = width, h = height;
    const double horizon = 0.62;
    const double sunX = 0.68 * w, sunY = 0.55 * h, sunRadius = 0.065 * h;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            RGB c = sky(std::min(1.0, (y + 0.5) / (horizon * h)));
            const double d = std::hypot(x + 0.5 - sunX, y + 0.5 - sunY);
            const double glow = std::exp(-std::max(0.0, d - sunRadius) / (0.22 * h));
            c = Canvas::mix(c, RGB{1.0, 0.78, 0.45}, 0.55 * glow);
            const double disc = std::clamp(sunRadius - d + 0.5, 0.0, 1.0);
            c = Canvas::mix(c, RGB{1.0, 0.93, 0.72}, disc);
            canvas.at(x, y) = c;
        }

    // Stars, fading towards the glow of the horizon.
    TAVO::MersenneTwister random;
    TAVO::ArrayBuffer<4> seed;
    random.seed(seed);
    for (int i = 0; i < 260; ++i) {
        double p[3];
        random.readDouble(p, 3, 1.0);
        const std::uint32_t x = std::min(width - 1, std::uint32_t(p[0] * w));
        const std::uint32_t y = std::min(height - 1, std::uint32_t(p[1] * p[1] * 0.45 * h));
        const double fade = 1.0 - double(y) / (0.45 * h);
        canvas.blend(x, y, RGB{1.0, 1.0, 0.95}, (0.35 + 0.65 * p[2]) * fade);
    }

    // Five ridges, the far ones hazy with the sky's colour, the near ones dark.
    const RGB near{0.05, 0.06, 0.11};
    for (int layer = 0; layer < 5; ++layer) {
        const double haze = 1.0 - layer / 4.0;
        const RGB colour = Canvas::mix(near, Canvas::mix(RGB{0.55, 0.33, 0.45}, RGB{0.85, 0.52, 0.38}, 0.3), 0.8 * haze);
        for (std::uint32_t x = 0; x < width; ++x) {
            const double top = ridge(layer, (x + 0.5) / w) * h;
            for (std::uint32_t y = std::uint32_t(std::max(0.0, std::floor(top))); y < height; ++y) {
                const double coverage = std::clamp(y + 1.0 - top, 0.0, 1.0);
                // A little lighter at the crest, as lit from behind.
                const double below = (y - top) / h;
                const RGB shaded = Canvas::mix(colour, near, std::min(1.0, below * 2.5) * 0.35);
                canvas.blend(x, y, shaded, coverage);
            }
        }
    }
    return canvas;
}
