#include "game/TrayPatterns.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/exceptions/BoundException.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"

std::uint8_t TrayPatterns::lowValue(float strength) {
    const float s = strength > 0.0f ? (strength < 1.0f ? strength : 1.0f) : 0.0f;
    const float value = (1.0f - s) * 255.0f;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

TrayPatterns::TrayPatterns(std::uint32_t size, float strength) : size_(size), low_(lowValue(strength)) {
    if (size == 0 || size > maximumSize)
        throw TAVO::BoundException<unsigned int>(TAVO::SourceLocation(), size, maximumSize);
    const std::size_t n = size;

    images_[blank].assign(blankSide * blankSide, 255);

    // One draw below 255 - low for every byte; none when there is no room.
    std::vector<std::uint8_t>& noise = images_[cloth];
    noise.assign(n * n, low_);
    const std::uint32_t room = 255u - low_;
    if (room > 0) {
        TAVO::MersenneTwister random;
        const std::uint32_t zero = 0;
        random.seed(TAVO::BorrowConstBuffer(&zero, sizeof zero));
        random.readBytes(noise.data(), std::uint32_t(noise.size()), static_cast<unsigned char>(room));
        for (std::uint8_t& value : noise)
            value = static_cast<std::uint8_t>(value + low_);
    }

    // Diamonds of radius T - 1 around (N/2 - N/4, N/2 - N/4) and (N/2 + N/4, N/2 + N/4).
    std::vector<std::uint8_t>& diamond = images_[diamonds];
    diamond.assign(n * n, low_);
    const long long reach = static_cast<long long>(std::ceil(static_cast<double>(size) * 0.05)) - 1;
    const long long centres[2] = {size / 2 - size / 4, size / 2 + size / 4};
    const long long last = static_cast<long long>(n) - 1;
    for (long long c : centres)
        for (long long y = std::max(c - reach, 0LL); y <= std::min(c + reach, last); ++y)
            for (long long x = std::max(c - reach, 0LL); x <= std::min(c + reach, last); ++x)
                if (std::llabs(x - c) + std::llabs(y - c) <= reach)
                    diamond[std::size_t(y) * n + std::size_t(x)] = 255;

    std::vector<std::uint8_t>& squares = images_[checker];
    squares.resize(n * n);
    for (std::size_t y = 0; y < n; ++y)
        for (std::size_t x = 0; x < n; ++x)
            squares[y * n + x] = ((x / checkerSquare + y / checkerSquare) % 2 == 1) ? 255 : low_;
}
