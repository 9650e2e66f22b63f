#pragma once

#include <cstdint>
#include <vector>

namespace KestruneTest {

// The gallery's thumbnail recipe written again from its description, as an
// oracle: the centred square, halved with the 1 4 6 4 1 filter while both
// sides are at least twice the target, then resampled bilinearly so that the
// corner samples meet.
class ThumbnailReference {
public:
    // Samples interleaved, rows in memory order.
    struct Image {
        std::uint32_t w, h, c;
        std::vector<std::uint8_t> data;
        std::uint8_t at(std::uint32_t ch, std::uint32_t x, std::uint32_t y) const { return data[(y * w + x) * c + ch]; }
    };

    static Image of(const Image& picture, std::uint32_t side);
    // One halving along axis 0 (width) or 1 (height).
    static Image halve(const Image& in, int axis);
};

} // namespace KestruneTest
