#include "PuzzleText.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::uint32_t PuzzleText::parseUnsigned(const std::string& text, const char* what) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Refusal{std::string(what) + " must be a whole number from 0 to 4294967295, not \"" + text + "\""};
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull)
        throw Refusal{std::string(what) + " must be a whole number from 0 to 4294967295, not \"" + text + "\""};
    return std::uint32_t(value);
}

float PuzzleText::parseSize(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    const float value = text.empty() ? 0.0f : std::strtof(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || !(value > 0.0f))
        throw Refusal{std::string(what) + " must be a finite number above 0, not \"" + text + "\""};
    return value;
}

void PuzzleText::hex(std::string& out, float value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", std::bit_cast<std::uint32_t>(value));
    out += digits;
}

void PuzzleText::hex(std::string& out, double value) {
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    out += digits;
}

void PuzzleText::point(std::string& out, const TAVO::Point<2, float>& p) {
    out += ' ';
    hex(out, p[0]);
    out += ',';
    hex(out, p[1]);
}
