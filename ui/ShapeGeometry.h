#pragma once

#include <vector>

#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"
#include "geometry/Polygon.h"
#include "geometry/Tuple.h"

// Paths and strokes that shapes are built from in code.
class ShapeGeometry {
public:
    // Points and the triangles over them, for the point-list Shape constructor.
    struct Triangles {
        std::vector<TAVO::Point<2, float>> points;
        std::vector<TAVO::Tuple<3, unsigned int>> triangles;
    };

    // One counter-clockwise contour around the rectangle with corners of the
    // radius: ceil(radius / 5) segments per quarter circle (at least one),
    // quarters in the order upper right, upper left, lower left, lower
    // right, each from its start angle to its end, 4 (n + 1) points in all.
    static Polygon roundedRectangle(const TAVO::Hyperrectangle<2, float>& rectangle, float radius);

    // A band 2 halfWidth wide centred on every contour of the path, closed on
    // itself: three points per path point (inner, on the path, outer, along
    // the mitre of the two edges that meet there) and four triangles between
    // each point and the next of its contour. Where an edge doubles back the
    // mitre would be infinite; the band there takes the plain offset of the
    // incoming edge.
    static Triangles outline(const Polygon& path, float halfWidth);
};
