#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KestruneTest {

// Writes picture files for tests with independent encoders: NetPBM by hand,
// PNG through Python's zlib, JPEG through cjpeg. Pixels are given top row
// first, interleaved.
class PictureFiles {
public:
    // A smooth pattern of width x height x channels bytes, different per seed.
    static std::vector<std::uint8_t> pattern(std::uint32_t width, std::uint32_t height, std::uint32_t channels,
                                             std::uint32_t seed = 0);
    // P5 (1 channel) or P6 (3 channels).
    static void writeNetPBM(const std::string& path, std::uint32_t width, std::uint32_t height,
                            std::uint32_t channels, const std::vector<std::uint8_t>& pixels);
    // 8-bit grey, grey+alpha, RGB or RGBA; false when Python is not there.
    static bool writePNG(const std::string& path, std::uint32_t width, std::uint32_t height,
                         std::uint32_t channels, const std::vector<std::uint8_t>& pixels);
    // Through cjpeg with the given extra options (for example "-progressive");
    // false when cjpeg is not there.
    static bool writeJPEG(const std::string& path, std::uint32_t width, std::uint32_t height,
                          std::uint32_t channels, const std::vector<std::uint8_t>& pixels,
                          const std::string& options = "");
};

} // namespace KestruneTest
