#include "tools/kestrune-assets/SevenSegmentFont.h"

#include <cmath>

namespace {

constexpr double W = SevenSegmentFont::width;
constexpr double H = SevenSegmentFont::height;
constexpr double t = SevenSegmentFont::stroke;
constexpr double gap = SevenSegmentFont::gap;
constexpr double middle = H / 2.0;

// The right-hand segments; the left-hand ones are their mirror images.
Path upperRight() {
    return Path{{W - t / 2.0, middle + gap},
                {W, middle + t / 2.0 + gap},
                {W, H},
                {W - t, H - t},
                {W - t, middle + t / 2.0 + gap}};
}

Path lowerRight() {
    return Path{{W - t / 2.0, middle - gap},
                {W - t, middle - t / 2.0 - gap},
                {W - t, t},
                {W, 0.0},
                {W, middle - t / 2.0 - gap}};
}

} // namespace

Path SevenSegmentFont::segment(Segment which) {
    // The horizontal bars end on the diagonals of the corners, moved inwards
    // so that the gap across the diagonal is `gap`.
    const double shift = gap * std::sqrt(2.0);
    switch (which) {
    case a:
        return Path{{t + shift, H - t}, {W - t - shift, H - t}, {W - shift, H}, {shift, H}};
    case b:
        return upperRight();
    case c:
        return lowerRight();
    case d:
        return Path{{shift, 0.0}, {W - shift, 0.0}, {W - t - shift, t}, {t + shift, t}};
    case e:
        return lowerRight().mirrored(W / 2.0);
    case f:
        return upperRight().mirrored(W / 2.0);
    case g:
        break;
    }
    return Path{{t / 2.0 + gap, middle},
                {t + gap, middle - t / 2.0},
                {W - t - gap, middle - t / 2.0},
                {W - t / 2.0 - gap, middle},
                {W - t - gap, middle + t / 2.0},
                {t + gap, middle + t / 2.0}};
}

unsigned int SevenSegmentFont::segments(int digit) {
    // Bits a (0) to g (6) of each digit.
    static constexpr unsigned int lit[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    return lit[digit];
}

ShapeDrawing SevenSegmentFont::drawing() {
    ShapeDrawing font(width, height);
    for (int digit = 0; digit < 10; ++digit) {
        ShapeDrawing::Layer& layer = font.addLayer();
        for (int s = a; s <= g; ++s)
            if (segments(digit) & (1u << s))
                layer.add(segment(static_cast<Segment>(s)));
        // The "1" lights only the right-hand segments; a mark at the
        // lower-left corner keeps the rest of its cell, so that it stands
        // at the right of a full-width digit as on a display, not as a
        // narrow stroke where the cell begins.
        if (digit == 1)
            layer.addMark({0.0, 0.0});
    }
    return font;
}
