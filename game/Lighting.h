#pragma once

#include <cstdint>
#include <string>

// How the pieces' cut edges are lit, from the "lighting" setting: "map" reads
// a light map of the puzzle's cuts, "attribute" the edge records every vertex
// carries, and any other value draws the picture unlit.
enum class Lighting : std::uint32_t { none = 0, map = 1, attribute = 2 };

inline Lighting lightingOf(const std::string& setting) {
    if (setting == "attribute")
        return Lighting::attribute;
    if (setting == "map")
        return Lighting::map;
    return Lighting::none;
}
