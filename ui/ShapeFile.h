#pragma once

#include <string>
#include <vector>

#include "geometry/Hyperrectangle.h"
#include "geometry/Polygon.h"
#include "geometry/Tuple.h"

namespace TAVO {
class Package;
}

// The content of a shape file: the drawing's bounds and its layers, each a
// polygon (points and closed contours over them: outer outlines
// counter-clockwise, holes clockwise) with no colours or one colour (red,
// green, blue, alpha) per point.
//
// Stored form, little-endian, u32 counts, f32 numbers: origin and extent of
// the bounds; the layer count; per layer the colour count and the colours,
// the point count and the points (x, y), the contour count and per contour
// its index count and indices. Nothing follows the last contour.
struct ShapeFile {
    struct Layer {
        Polygon polygon;
        std::vector<TAVO::Tuple<4, float>> colors;
    };

    TAVO::Hyperrectangle<2, float> bounds;
    std::vector<Layer> layers;
    // The entry the content was read from, named in later errors; empty for
    // content made in code.
    std::string name;
};

// Reads the named entry of the package into out, replacing what it held; a
// failed read leaves out as it was. The file may come from a user's folder
// and is checked as it is read: every count is bounded by the bytes the
// entry has left before anything is allocated for it.
//
// Throws NotFoundException when the package has no such entry,
// StreamException (naming the entry) when the entry ends early, and
// ShapeFileException for bounds that are not a finite rectangle of positive
// size, a colour count that is neither 0 nor the layer's point count, a count
// beyond the bytes left, or a contour index beyond the layer's points.
void loadShapeFile(ShapeFile& out, const TAVO::Package& package, const std::string& name);
