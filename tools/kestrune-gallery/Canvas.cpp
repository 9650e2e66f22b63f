#include "tools/kestrune-gallery/Canvas.h"

#include <algorithm>
#include <cmath>

#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/Factory.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGExporter.h"

Canvas::Canvas(std::uint32_t width, std::uint32_t height)
    : width_(width), height_(height), pixels_(std::size_t(width) * height) {}

void Canvas::blend(std::uint32_t x, std::uint32_t y, const RGB& colour, double weight) {
    RGB& p = at(x, y);
    p = mix(p, colour, std::clamp(weight, 0.0, 1.0));
}

std::vector<std::uint8_t> Canvas::bytes() const {
    std::vector<std::uint8_t> out(pixels_.size() * 3);
    auto byte = [](double v) { return std::uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
        out[i * 3] = byte(pixels_[i].red);
        out[i * 3 + 1] = byte(pixels_[i].green);
        out[i * 3 + 2] = byte(pixels_[i].blue);
    }
    return out;
}

void Canvas::writePNG(const std::string& path) const {
    const std::vector<std::uint8_t> rgb = bytes();
    const std::uint32_t row = width_ * 3;
    // The exporter takes the rows bottom first.
    TAVO::IncrementalBuffer buffer(0, row * height_);
    for (std::uint32_t y = 0; y < height_; ++y)
        std::copy_n(&rgb[std::size_t(y) * row], row, buffer.data() + std::size_t(height_ - 1 - y) * row);
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(buffer, TAVO::Migration::ImageMetadata(width_, height_, 3, 24), path,
                                          exporter);
}

Canvas::RGB Canvas::mix(const RGB& a, const RGB& b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

Canvas::RGB Canvas::hsv(double hue, double saturation, double value) {
    const double h = (hue - std::floor(hue)) * 6.0;
    const int sector = int(h) % 6;
    const double f = h - std::floor(h);
    const double p = value * (1.0 - saturation);
    const double q = value * (1.0 - saturation * f);
    const double t = value * (1.0 - saturation * (1.0 - f));
    switch (sector) {
    case 0: return {value, t, p};
    case 1: return {q, value, p};
    case 2: return {p, value, t};
    case 3: return {p, q, value};
    case 4: return {t, p, value};
    default: return {value, p, q};
    }
}
