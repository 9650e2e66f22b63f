#pragma once

#include "geometry/Hyperrectangle.h"
#include "geometry/Point.h"
#include "geometry/Vector.h"

// Maps a point p of one space into another as p * scale + offset, component
// by component. A component's transform maps the window's normalised
// coordinates (-1 to 1, y up) into its own local space (origin at its
// lower-left corner, in the units of its size).
struct ComponentTransform {
    TAVO::Vector<2, float> scale{1.0f, 1.0f};
    TAVO::Vector<2, float> offset{0.0f, 0.0f};

    ComponentTransform() = default;
    ComponentTransform(const TAVO::Vector<2, float>& s, const TAVO::Vector<2, float>& o) : scale(s), offset(o) {}

    // The transform that maps rectangle a onto rectangle b: scale = b.extent /
    // a.extent, offset = b.origin - a.origin * scale.
    static ComponentTransform between(const TAVO::Hyperrectangle<2, float>& a,
                                      const TAVO::Hyperrectangle<2, float>& b);

    TAVO::Point<2, float> apply(const TAVO::Point<2, float>& p) const {
        return TAVO::Point<2, float>(p[0] * scale[0] + offset[0], p[1] * scale[1] + offset[1]);
    }
};
