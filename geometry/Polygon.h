#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"
#include "geometry/Transformation.h"

// Points and closed contours over them by index: outer outlines and holes.
// With the triangulator's orientation flag set, outer contours run
// counter-clockwise (positive area with x right and y up) and holes clockwise.
class Polygon {
public:
    using Contour = std::vector<std::uint32_t>;

    // Appends a point and returns its index.
    std::uint32_t addPoint(const TAVO::Point<2, float>& point);
    // Appends a copy of the contour and returns its index.
    std::uint32_t addContour(const Contour& contour);
    // Adds the corners (x, y), (x + w, y), (x + w, y + h), (x, y + h) and one contour over them.
    void insertRectangle(const TAVO::Hyperrectangle<2, float>& rectangle);
    // Appends the other polygon's points, then its contours with every index
    // raised by this polygon's former point count.
    void append(const Polygon& other);
    // Moves every point in place.
    void transform(const TAVO::Transformation<2, float>::Base& transformation);
    // Erases contour i; later contours move down. A bad index throws BoundException.
    void removeContour(std::uint32_t index);
    void clear();

    std::vector<TAVO::Point<2, float>>& points() { return points_; }
    const std::vector<TAVO::Point<2, float>>& points() const { return points_; }
    // Contour i; a bad index throws BoundException<unsigned int>.
    Contour& contour(std::uint32_t index);
    const Contour& contour(std::uint32_t index) const;
    std::uint32_t contourCount() const { return static_cast<std::uint32_t>(contours_.size()); }
    std::vector<Contour>& contours() { return contours_; }
    const std::vector<Contour>& contours() const { return contours_; }

    // The sum of the signed shoelace areas of all contours: counter-clockwise
    // rings count positive, so clockwise holes are subtracted. An index beyond
    // the point list throws BoundException<unsigned int>.
    float area() const;

private:
    std::vector<TAVO::Point<2, float>> points_;
    std::vector<Contour> contours_;
};
