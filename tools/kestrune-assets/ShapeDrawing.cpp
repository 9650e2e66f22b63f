#include "tools/kestrune-assets/ShapeDrawing.h"

#include "foundation/exceptions/SourceLocation.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/files/FileSystem.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"

namespace {

void writeCount(TAVO::Serializer& out, std::size_t count) {
    unsigned int value = static_cast<unsigned int>(count);
    out.serialize(value);
}

void writeFloat(TAVO::Serializer& out, double value) {
    float stored = static_cast<float>(value);
    out.serialize(stored);
}

} // namespace

ShapeDrawing::Layer& ShapeDrawing::Layer::add(const Path& path) {
    std::vector<std::uint32_t> contour;
    for (const Path::Point& p : path.points()) {
        contour.push_back(static_cast<std::uint32_t>(points_.size()));
        points_.push_back(p);
    }
    contours_.push_back(std::move(contour));
    return *this;
}

ShapeDrawing::Layer& ShapeDrawing::Layer::addMark(Path::Point point) {
    points_.push_back(point);
    return *this;
}

ShapeDrawing::Layer& ShapeDrawing::Layer::paint(const std::function<Colour(double x, double y)>& colour) {
    colours_.clear();
    for (const Path::Point& p : points_)
        colours_.push_back(colour(p.x, p.y));
    return *this;
}

ShapeDrawing::Layer& ShapeDrawing::addLayer() {
    layers_.emplace_back();
    return layers_.back();
}

void ShapeDrawing::write(TAVO::Serializer& out) const {
    for (double value : {0.0, 0.0, width_, height_})
        writeFloat(out, value);
    writeCount(out, layers_.size());
    for (const Layer& layer : layers_) {
        if (!layer.colours().empty() && layer.colours().size() != layer.points().size())
            throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), std::to_string(layer.colours().size()),
                                                 "layer colour count");
        writeCount(out, layer.colours().size());
        for (const Colour& c : layer.colours())
            for (float value : {c.red, c.green, c.blue, c.alpha})
                writeFloat(out, value);
        writeCount(out, layer.points().size());
        for (const Path::Point& p : layer.points()) {
            writeFloat(out, p.x);
            writeFloat(out, p.y);
        }
        writeCount(out, layer.contours().size());
        for (const auto& contour : layer.contours()) {
            writeCount(out, contour.size());
            for (std::uint32_t index : contour) {
                unsigned int value = index;
                out.serialize(value);
            }
        }
    }
}

void ShapeDrawing::writeFile(const std::string& path) const {
    TAVO::IncrementalBuffer bytes;
    TAVO::BufferStream stream(bytes);
    TAVO::Serializer out(stream);
    write(out);
    TAVO::FileSystem::writeFile(path, bytes);
}
