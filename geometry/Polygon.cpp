#include "geometry/Polygon.h"

#include <limits>

#include "foundation/exceptions/BoundException.h"
#include "geometry/PointBorrow.h"

using namespace TAVO;

namespace {

std::uint32_t checkedCount(std::size_t size) {
    if (size >= std::numeric_limits<std::uint32_t>::max())
        throw BoundException<unsigned long long>(SourceLocation(), size, std::numeric_limits<std::uint32_t>::max());
    return static_cast<std::uint32_t>(size);
}

} // namespace

std::uint32_t Polygon::addPoint(const Point<2, float>& point) {
    const std::uint32_t index = checkedCount(points_.size());
    points_.push_back(point);
    return index;
}

std::uint32_t Polygon::addContour(const Contour& contour) {
    const std::uint32_t index = checkedCount(contours_.size());
    contours_.push_back(contour);
    return index;
}

void Polygon::insertRectangle(const Hyperrectangle<2, float>& rectangle) {
    const float x = rectangle.origin()[0], y = rectangle.origin()[1];
    const float w = rectangle.extent()[0], h = rectangle.extent()[1];
    const std::uint32_t first = addPoint(Point<2, float>(x, y));
    addPoint(Point<2, float>(x + w, y));
    addPoint(Point<2, float>(x + w, y + h));
    addPoint(Point<2, float>(x, y + h));
    addContour(Contour{first, first + 1, first + 2, first + 3});
}

void Polygon::append(const Polygon& other) {
    const std::uint32_t offset = checkedCount(points_.size());
    checkedCount(points_.size() + other.points_.size());
    points_.reserve(points_.size() + other.points_.size());
    contours_.reserve(contours_.size() + other.contours_.size());
    points_.insert(points_.end(), other.points_.begin(), other.points_.end());
    for (const Contour& contour : other.contours_) {
        Contour moved(contour);
        for (std::uint32_t& index : moved)
            index += offset;
        contours_.push_back(std::move(moved));
    }
}

void Polygon::transform(const Transformation<2, float>::Base& transformation) {
    for (Point<2, float>& point : points_)
        transformation.transformInPlace(PointBorrow<2, float>(point));
}

void Polygon::removeContour(std::uint32_t index) {
    contour(index);
    contours_.erase(contours_.begin() + index);
}

void Polygon::clear() {
    points_.clear();
    contours_.clear();
}

Polygon::Contour& Polygon::contour(std::uint32_t index) {
    if (index >= contours_.size())
        throw BoundException<unsigned int>(SourceLocation(), index, contourCount());
    return contours_[index];
}

const Polygon::Contour& Polygon::contour(std::uint32_t index) const {
    if (index >= contours_.size())
        throw BoundException<unsigned int>(SourceLocation(), index, contourCount());
    return contours_[index];
}

float Polygon::area() const {
    float sum = 0.0f;
    for (const Contour& contour : contours_) {
        for (std::uint32_t index : contour)
            if (index >= points_.size())
                throw BoundException<unsigned int>(SourceLocation(), index, checkedCount(points_.size()));
        const std::size_t n = contour.size();
        float twice = 0.0f;
        for (std::size_t i = 0; i < n; ++i) {
            const Point<2, float>& previous = points_[contour[(i + n - 1) % n]];
            const Point<2, float>& current = points_[contour[i]];
            twice += previous[0] * current[1] - current[0] * previous[1];
        }
        sum += 0.5f * twice;
    }
    return sum;
}
