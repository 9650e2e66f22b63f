#include "tools/kestrune-assets/BlockLetters.h"

#include <algorithm>

#include "foundation/exceptions/SourceLocation.h"
#include "foundation/exceptions/UnexpectedValueException.h"

namespace {

constexpr double W = BlockLetters::width;
constexpr double H = BlockLetters::height;
constexpr double s = BlockLetters::stroke;
constexpr double b = BlockLetters::bar;
constexpr double middle = H / 2.0;

// The shadow falls to the lower right.
constexpr double shadowX = 0.025;
constexpr double shadowY = -0.04;

using Colour = ShapeDrawing::Colour;

// Saturated colours of toy jigsaw pieces, one after the other.
constexpr Colour palette[] = {
    {0.90f, 0.28f, 0.22f, 1.0f}, {0.96f, 0.58f, 0.08f, 1.0f}, {0.93f, 0.76f, 0.05f, 1.0f},
    {0.30f, 0.68f, 0.29f, 1.0f}, {0.13f, 0.57f, 0.90f, 1.0f}, {0.45f, 0.27f, 0.75f, 1.0f},
    {0.89f, 0.15f, 0.44f, 1.0f}, {0.00f, 0.60f, 0.55f, 1.0f},
};

// The colour at height y of a letter: its own colour lightened towards the
// top and darkened towards the foot.
Colour shade(const Colour& c, double y) {
    const float top = static_cast<float>(std::clamp(y / H, 0.0, 1.0));
    auto mix = [top](float v) {
        const float dark = v * 0.8f, light = v + (1.0f - v) * 0.3f;
        return dark + (light - dark) * top;
    };
    return {mix(c.red), mix(c.green), mix(c.blue), 1.0f};
}

} // namespace

std::vector<Path> BlockLetters::letter(char c) {
    switch (c) {
    case 'K':
        return {Path{{0.0, 0.0}, {s, 0.0}, {s, 0.30}, {0.225, 0.40}, {W - 0.17, 0.0}, {W, 0.0},
                     {0.33, 0.56}, {W, H}, {W - 0.18, H}, {s, 0.57}, {s, H}, {0.0, H}}};
    case 'E':
        return {Path{{0.0, 0.0}, {W, 0.0}, {W, b}, {s, b}, {s, middle - b / 2.0}, {W - 0.06, middle - b / 2.0},
                     {W - 0.06, middle + b / 2.0}, {s, middle + b / 2.0}, {s, H - b}, {W, H - b}, {W, H}, {0.0, H}}};
    case 'S':
        return {Path{{0.0, 0.0}, {W, 0.0}, {W, middle + b / 2.0}, {s, middle + b / 2.0}, {s, H - b}, {W, H - b},
                     {W, H}, {0.0, H}, {0.0, middle - b / 2.0}, {W - s, middle - b / 2.0}, {W - s, b}, {0.0, b}}};
    case 'T':
        return {Path{{(W - s) / 2.0, 0.0}, {(W + s) / 2.0, 0.0}, {(W + s) / 2.0, H - b}, {W, H - b}, {W, H},
                     {0.0, H}, {0.0, H - b}, {(W - s) / 2.0, H - b}}};
    case 'R': {
        const double foot = 0.42; // the bowl's lower edge
        return {Path{{0.0, 0.0}, {s, 0.0}, {s, foot}, {0.19, foot}, {W - 0.165, 0.0}, {W, 0.0}, {0.345, foot + 0.01},
                     {W, foot + 0.1}, {W, H}, {0.0, H}},
                Path::rectangle(s, foot + b, W - s, H - b).reversed()};
    }
    case 'U':
        return {Path{{0.0, 0.0}, {W, 0.0}, {W, H}, {W - s, H}, {W - s, b}, {s, b}, {s, H}, {0.0, H}}};
    case 'N':
        return {Path{{0.0, 0.0}, {s, 0.0}, {s, H - 0.55}, {W - s, 0.0}, {W, 0.0}, {W, H}, {W - s, H}, {W - s, 0.55},
                     {s, H}, {0.0, H}}};
    default:
        throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), std::string(1, c), "a letter of KESTRUN");
    }
}

ShapeDrawing BlockLetters::title(const std::string& text) {
    ShapeDrawing drawing(titleWidth, titleHeight);
    const std::size_t n = text.size();
    // The letters and their shadow span the bounds exactly.
    const double pitch = n > 1 ? (titleWidth - shadowX - W) / static_cast<double>(n - 1) : 0.0;
    const double base = -shadowY;

    ShapeDrawing::Layer& shadow = drawing.addLayer();
    for (std::size_t i = 0; i < n; ++i)
        for (const Path& contour : letter(text[i]))
            shadow.add(contour.translated(pitch * static_cast<double>(i) + shadowX, base + shadowY));
    shadow.paint([](double, double) { return Colour{0.15f, 0.15f, 0.2f, 0.3f}; });

    for (std::size_t i = 0; i < n; ++i) {
        ShapeDrawing::Layer& layer = drawing.addLayer();
        for (const Path& contour : letter(text[i]))
            layer.add(contour.translated(pitch * static_cast<double>(i), base));
        const Colour colour = palette[i % std::size(palette)];
        layer.paint([colour, base](double, double y) { return shade(colour, y - base); });
    }
    return drawing;
}
