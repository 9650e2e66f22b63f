#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
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

// The bytes with one to four random edits: a bit flipped, a word set to a
// telling value (0, 1, 2, all bits, the largest int, 65536) or the rest cut
// off.
inline std::string damaged(std::string bytes, std::mt19937& random) {
    const int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = random() % bytes.size();
        switch (random() % 3) {
        case 0:
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            break;
        case 1: {
            const std::uint32_t values[] = {0u, 1u, 2u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u};
            const std::uint32_t value = values[random() % std::size(values)];
            const std::size_t word = (at / 4) * 4;
            if (word + 4 <= bytes.size())
                std::memcpy(bytes.data() + word, &value, 4);
            break;
        }
        default:
            bytes.resize(at);
            break;
        }
    }
    return bytes;
}

} // namespace UiTest
