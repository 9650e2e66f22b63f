#pragma once

#include <cstdint>
#include <string>

#include "geometry/Point.h"

// The argument parsing and number printing shared by kestrune-puzzle's commands.
namespace PuzzleText {

// A refused argument or input: exit code 1 with the message.
struct Refusal {
    std::string message;
};

// A whole number from 0 to 4294967295; anything else is refused naming what.
std::uint32_t parseUnsigned(const std::string& text, const char* what);
// A finite number above 0.
float parseSize(const std::string& text, const char* what);

// The 8 lower-case hexadecimal digits of a float's bits.
void hex(std::string& out, float value);
// The 16 lower-case hexadecimal digits of a double's bits.
void hex(std::string& out, double value);
// A blank, then x and y in hexadecimal separated by a comma.
void point(std::string& out, const TAVO::Point<2, float>& p);

} // namespace PuzzleText
