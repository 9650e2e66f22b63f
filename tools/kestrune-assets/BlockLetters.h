#pragma once

#include <string>
#include <vector>

#include "tools/kestrune-assets/ShapeDrawing.h"

// Bold upright capitals drawn from straight strokes, for the title. Each
// letter fills a cell of `width` by `height` from the origin.
class BlockLetters {
public:
    static constexpr double width = 0.42;
    static constexpr double height = 0.96;
    // The width of vertical strokes and the thickness of horizontal bars.
    static constexpr double stroke = 0.14;
    static constexpr double bar = 0.13;

    // The contours of one capital (outlines counter-clockwise, holes
    // clockwise); the letters of "KESTRUN" are known, any other character
    // throws UnexpectedValueException.
    static std::vector<Path> letter(char c);

    // The title drawing: bounds 4.0625 by 1, the text's letters spread evenly
    // across it, one layer per letter in its own colour, shaded from a light
    // top to a darker foot, above a first layer holding a soft shadow of
    // every letter. Every layer carries one colour per point.
    static ShapeDrawing title(const std::string& text);

    static constexpr double titleWidth = 4.0625;
    static constexpr double titleHeight = 1.0;
};
