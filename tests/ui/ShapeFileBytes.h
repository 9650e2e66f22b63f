#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace UiTest {

// Writes shape files byte by byte (little-endian u32 counts and f32
// numbers), apart from the reader under test, so that tests can also write
// what no correct writer would.
class ShapeFileBytes {
public:
    ShapeFileBytes& u32(std::uint32_t value) { return put(&value, 4); }
    ShapeFileBytes& f32(float value) { return put(&value, 4); }
    ShapeFileBytes& bounds(float x, float y, float w, float h) { return f32(x).f32(y).f32(w).f32(h); }
    // A whole layer: colours (four numbers each, may be empty), points and
    // contours, each list led by its count.
    ShapeFileBytes& layer(const std::vector<std::vector<float>>& colors, const std::vector<std::vector<float>>& points,
                          const std::vector<std::vector<std::uint32_t>>& contours) {
        u32(static_cast<std::uint32_t>(colors.size()));
        for (const auto& c : colors)
            for (float v : c)
                f32(v);
        u32(static_cast<std::uint32_t>(points.size()));
        for (const auto& p : points)
            f32(p[0]).f32(p[1]);
        u32(static_cast<std::uint32_t>(contours.size()));
        for (const auto& contour : contours) {
            u32(static_cast<std::uint32_t>(contour.size()));
            for (std::uint32_t i : contour)
                u32(i);
        }
        return *this;
    }
    const std::string& bytes() const { return bytes_; }

private:
    ShapeFileBytes& put(const void* value, std::size_t size) {
        const char* p = static_cast<const char*>(value);
        bytes_.append(p, size);
        return *this;
    }

    std::string bytes_;
};

// A unit square (counter-clockwise) as four points and one contour.
inline std::vector<std::vector<float>> squarePoints(float x, float y, float s) {
    return {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
}

} // namespace UiTest
