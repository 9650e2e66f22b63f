#include "tools/kestrune-assets/WindowIcon.h"

#include <algorithm>
#include <cmath>

#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGExporter.h"
#include "imaging/Factory.h"

namespace {

// The square body, the radius of the knobs and how far their centres lie
// beyond the body's edge (tabs) or inside it (blanks).
constexpr double low = 8.5, high = 43.5, knob = 7.0, reach = 4.5;
constexpr double middle = (low + high) / 2.0;
constexpr double rim = 1.6;
constexpr int samples = 4; // per pixel and axis
// The radius of the fillets where a knob meets the body.
constexpr double fillet = 2.5;

double box(double x, double y) {
    const double dx = std::max(low - x, x - high), dy = std::max(low - y, y - high);
    if (dx > 0.0 && dy > 0.0)
        return std::hypot(dx, dy);
    return std::max(dx, dy);
}

double disc(double x, double y, double cx, double cy) {
    return std::hypot(x - cx, y - cy) - knob;
}

// The smaller of a and b, rounded off where they are close (a union with a fillet).
double smoothMin(double a, double b) {
    const double h = std::clamp(0.5 + 0.5 * (b - a) / fillet, 0.0, 1.0);
    return b + (a - b) * h - fillet * h * (1.0 - h);
}

struct Sample {
    double red, green, blue, alpha;
};

// Golden at the top shading to amber at the foot, the rim dark brown.
Sample colourAt(double x, double y) {
    const double d = WindowIcon::distance(x, y);
    if (d >= 0.0)
        return {0.0, 0.0, 0.0, 0.0};
    if (d > -rim)
        return {0.36, 0.22, 0.04, 1.0};
    const double t = std::clamp((y - low) / (high + reach + knob - low), 0.0, 1.0);
    return {0.93 + 0.05 * t, 0.62 + 0.22 * t, 0.05 + 0.25 * t, 1.0};
}

} // namespace

double WindowIcon::distance(double x, double y) {
    // Tabs on the right and at the top, blanks on the left and at the foot.
    const double solid =
        smoothMin(smoothMin(box(x, y), disc(x, y, high + reach, middle)), disc(x, y, middle, high + reach));
    const double blanks = std::min(disc(x, y, low + reach, middle), disc(x, y, middle, low + reach));
    return -smoothMin(-solid, blanks);
}

std::vector<std::uint8_t> WindowIcon::pixels() {
    std::vector<std::uint8_t> rgba(side * side * 4);
    for (std::uint32_t row = 0; row < side; ++row)
        for (std::uint32_t column = 0; column < side; ++column) {
            // Premultiplied sums over the pixel's samples.
            Sample sum{0.0, 0.0, 0.0, 0.0};
            for (int i = 0; i < samples; ++i)
                for (int j = 0; j < samples; ++j) {
                    const double x = column + (i + 0.5) / samples;
                    const double y = (side - 1 - row) + (j + 0.5) / samples;
                    const Sample s = colourAt(x, y);
                    sum = {sum.red + s.red * s.alpha, sum.green + s.green * s.alpha, sum.blue + s.blue * s.alpha,
                           sum.alpha + s.alpha};
                }
            std::uint8_t* p = &rgba[(row * side + column) * 4];
            const double alpha = sum.alpha / (samples * samples);
            auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
            if (sum.alpha > 0.0) {
                p[0] = byte(sum.red / sum.alpha);
                p[1] = byte(sum.green / sum.alpha);
                p[2] = byte(sum.blue / sum.alpha);
            }
            p[3] = byte(alpha);
        }
    return rgba;
}

void WindowIcon::writeFile(const std::string& path) {
    const std::vector<std::uint8_t> rgba = pixels();
    // The exporter takes the rows bottom first.
    TAVO::IncrementalBuffer buffer(0, side * side * 4);
    for (std::uint32_t row = 0; row < side; ++row)
        std::copy_n(&rgba[row * side * 4], side * 4, buffer.data() + (side - 1 - row) * side * 4);
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(buffer, TAVO::Migration::ImageMetadata(side, side, 4, 32), path, exporter);
}
