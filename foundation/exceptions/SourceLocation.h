#pragma once

#include <cstdint>

namespace TAVO {

// Where an exception was thrown. Every throw site passes the empty default,
// so printed exceptions carry no location; the printer still honours one.
struct SourceLocation {
    const char* file = nullptr;
    std::uint32_t line = 0xFFFFFFFFu;

    SourceLocation() = default;
    SourceLocation(const char* f, std::uint32_t l) : file(f), line(l) {}

    bool present() const { return file != nullptr && line != 0xFFFFFFFFu; }
};

} // namespace TAVO
