#pragma once

#include <cstdint>
#include <string>

#include "geometry/Point.h"

class Puzzle;

// What the commands of kestrune-puzzle share: reading their arguments and
// printing a cut.
namespace PuzzleTool {

// A refused argument or input: exit code 1.
struct Refusal {
    std::string message;
};

// A whole number from 0 to 4294967295; anything else is refused, naming what.
std::uint32_t parseUnsigned(const std::string& text, const char* what);
// A finite number above 0; anything else is refused, naming what.
float parseSize(const std::string& text, const char* what);

// The 8 lower-case hexadecimal digits of the value's single-precision bits.
void hex(std::string& out, float value);
// The 16 lower-case hexadecimal digits of a double's bits (angles).
void hex(std::string& out, double value);
// " X,Y" in hexadecimal bits.
void point(std::string& out, const TAVO::Point<2, float>& p);
// The "edge", "points", "piece" and "outline" lines of a puzzle.
std::string describe(const Puzzle& puzzle);

} // namespace PuzzleTool
