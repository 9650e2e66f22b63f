#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGB picture in floating point (0 to 1 per component), rows from the top,
// that the gallery's drawings paint on and that is written as an 8-bit PNG.
class Canvas {
public:
    struct RGB {
        double red = 0.0, green = 0.0, blue = 0.0;
    };

    Canvas(std::uint32_t width, std::uint32_t height);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    RGB& at(std::uint32_t x, std::uint32_t y) { return pixels_[std::size_t(y) * width_ + x]; }
    const RGB& at(std::uint32_t x, std::uint32_t y) const { return pixels_[std::size_t(y) * width_ + x]; }

    // Mixes the colour into the pixel with the weight (0 keeps the pixel).
    void blend(std::uint32_t x, std::uint32_t y, const RGB& colour, double weight);

    // The components rounded to 8 bits, rows from the top.
    std::vector<std::uint8_t> bytes() const;
    // Writes an 8-bit RGB PNG file with the project's encoder.
    void writePNG(const std::string& path) const;

    static RGB mix(const RGB& a, const RGB& b, double t);
    // Hue in turns (any value), saturation and value in 0..1.
    static RGB hsv(double hue, double saturation, double value);

private:
    std::uint32_t width_;
    std::uint32_t height_;
    std::vector<RGB> pixels_;
};
