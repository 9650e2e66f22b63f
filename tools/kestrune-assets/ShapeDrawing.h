#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/kestrune-assets/Path.h"

namespace TAVO {
class Serializer;
}

// The content of one shape file: the drawing's bounds and its layers, each
// a list of points, closed contours over them by index (outer outlines
// counter-clockwise, holes clockwise) and either no colours or one colour per
// point. Stored little-endian: origin and extent (4 x f32), the layer count,
// then per layer the colour count and colours (4 x f32 each), the point
// count and points (2 x f32 each), the contour count and per contour its
// index count and indices (u32 each).
class ShapeDrawing {
public:
    struct Colour {
        float red;
        float green;
        float blue;
        float alpha;
    };

    class Layer {
    public:
        // Appends the path's points and one contour over them.
        Layer& add(const Path& path);
        // Appends a point of no contour: it draws nothing, but a reader
        // that places the layer by the box around its points counts it.
        Layer& addMark(Path::Point point);
        // Gives every point the colour the function returns for its position.
        Layer& paint(const std::function<Colour(double x, double y)>& colour);

        const std::vector<Path::Point>& points() const { return points_; }
        const std::vector<std::vector<std::uint32_t>>& contours() const { return contours_; }
        const std::vector<Colour>& colours() const { return colours_; }

    private:
        std::vector<Path::Point> points_;
        std::vector<std::vector<std::uint32_t>> contours_;
        std::vector<Colour> colours_;
    };

    // Bounds from (0, 0) with the given extent.
    ShapeDrawing(double width, double height) : width_(width), height_(height) {}

    // A new empty layer drawn after the ones before it.
    Layer& addLayer();
    const std::vector<Layer>& layers() const { return layers_; }
    Layer& layer(std::size_t index) { return layers_.at(index); }
    double width() const { return width_; }
    double height() const { return height_; }

    // Writes the stored form. A layer painted before points were added to it
    // lacks colours for them and makes this throw UnexpectedValueException.
    void write(TAVO::Serializer& out) const;
    // Writes the stored form to a file.
    void writeFile(const std::string& path) const;

private:
    double width_;
    double height_;
    std::vector<Layer> layers_;
};
