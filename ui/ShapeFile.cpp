#include "ui/ShapeFile.h"

#include <cmath>
#include <memory>

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/packages/Package.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/streams/StreamException.h"
#include "ui/ShapeFileException.h"

namespace {

// The fields of one entry, read through a deserializer, with the bytes the
// entry has left counted down so that no count is believed beyond them.
class ShapeFileReader {
public:
    ShapeFileReader(TAVO::ReadStream& stream, std::uint64_t size, const std::string& name)
        : in_(stream), left_(size), name_(name) {}

    float number() {
        float value = 0.0f;
        in_.serialize(value);
        take(4);
        return value;
    }

    std::uint32_t index() {
        unsigned int value = 0;
        in_.serialize(value);
        take(4);
        return value;
    }

    // A count of items of itemSize bytes each, all of which must fit in the
    // bytes left.
    std::uint32_t count(std::uint64_t itemSize, const std::string& what) {
        const std::uint32_t n = index();
        if (std::uint64_t(n) * itemSize > left_)
            throw ShapeFileException(TAVO::SourceLocation(), name_,
                                     std::to_string(n) + " " + what + " do not fit in the " +
                                         std::to_string(left_) + " bytes left");
        return n;
    }

    [[noreturn]] void fail(const std::string& problem) const {
        throw ShapeFileException(TAVO::SourceLocation(), name_, problem);
    }

private:
    void take(std::uint64_t bytes) { left_ = bytes > left_ ? 0 : left_ - bytes; }

    TAVO::Deserializer in_;
    std::uint64_t left_;
    const std::string& name_;
};

void readLayer(ShapeFileReader& in, std::uint32_t number, ShapeFile::Layer& layer) {
    const std::string where = "layer " + std::to_string(number);
    const std::uint32_t colorCount = in.count(16, "colours of " + where);
    for (std::uint32_t i = 0; i < colorCount; ++i) {
        TAVO::Tuple<4, float> color;
        for (int c = 0; c < 4; ++c)
            color[c] = in.number();
        layer.colors.push_back(color);
    }

    const std::uint32_t pointCount = in.count(8, "points of " + where);
    if (colorCount != 0 && colorCount != pointCount)
        in.fail(where + " has " + std::to_string(colorCount) + " colours for " + std::to_string(pointCount) +
                " points");
    auto& points = layer.polygon.points();
    for (std::uint32_t i = 0; i < pointCount; ++i) {
        const float x = in.number();
        const float y = in.number();
        if (!std::isfinite(x) || !std::isfinite(y))
            in.fail("point " + std::to_string(i) + " of " + where + " is not finite");
        points.emplace_back(x, y);
    }

    const std::uint32_t contourCount = in.count(4, "contours of " + where);
    auto& contours = layer.polygon.contours();
    for (std::uint32_t c = 0; c < contourCount; ++c) {
        const std::uint32_t indexCount = in.count(4, "indices of contour " + std::to_string(c) + " of " + where);
        Polygon::Contour contour;
        for (std::uint32_t k = 0; k < indexCount; ++k) {
            const std::uint32_t index = in.index();
            if (index >= pointCount)
                in.fail("contour " + std::to_string(c) + " of " + where + " names point " + std::to_string(index) +
                        " of " + std::to_string(pointCount));
            contour.push_back(index);
        }
        contours.push_back(std::move(contour));
    }
}

} // namespace

void loadShapeFile(ShapeFile& out, const TAVO::Package& package, const std::string& name) {
    const std::unique_ptr<TAVO::Package::Reader> reader = package.openReader(name);
    if (!reader)
        throw TAVO::NotFoundException<std::string>(TAVO::SourceLocation(), name, "the resource package");
    ShapeFile file;
    file.name = name;
    try {
        ShapeFileReader in(reader->stream(), package.size(name), name);
        float numbers[4];
        for (float& n : numbers)
            n = in.number();
        for (float n : numbers)
            if (!std::isfinite(n))
                in.fail("the bounds are not finite");
        if (!(numbers[2] > 0.0f && numbers[3] > 0.0f))
            in.fail("the bounds are empty");
        file.bounds = TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(numbers[0], numbers[1]),
                                                     TAVO::Tuple<2, float>(numbers[2], numbers[3]));
        // The smallest layer is its three counts.
        const std::uint32_t layerCount = in.count(12, "layers");
        // Every list grows as its items arrive, never ahead of the data: a
        // package may claim more bytes than its entry holds.
        for (std::uint32_t l = 0; l < layerCount; ++l)
            readLayer(in, l, file.layers.emplace_back());
    } catch (const ShapeFileException&) {
        throw;
    } catch (const TAVO::StreamException& e) {
        throw TAVO::StreamException(e.location(), "Shape file " + name + ": " + e.message());
    }
    out = std::move(file);
}
