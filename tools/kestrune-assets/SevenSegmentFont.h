#pragma once

#include "tools/kestrune-assets/ShapeDrawing.h"

// The digit font: one layer per digit, 0 to 9 in order, each drawn from the
// seven segments of a display. The outer corners belong to the vertical
// segments, so every digit reaches from 0 to the full height and all of them
// stand on one baseline when each glyph is placed by its own lower-left corner.
// The "1" lights only its right-hand segments and holds a point of no contour
// at (0, 0), so that its glyph keeps the whole width of a cell.
class SevenSegmentFont {
public:
    // The segments a to g: top, upper right, lower right, bottom, lower left,
    // upper left, middle.
    enum Segment { a, b, c, d, e, f, g };

    static constexpr double width = 0.56;
    static constexpr double height = 1.0;
    static constexpr double stroke = 0.15;
    static constexpr double gap = 0.02;

    // The outline of one segment, counter-clockwise.
    static Path segment(Segment which);
    // Bit i set when segment i is lit for the digit.
    static unsigned int segments(int digit);
    // Ten layers within the bounds (0, 0) to (width, height).
    static ShapeDrawing drawing();
};
