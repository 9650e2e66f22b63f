#pragma once

#include "geometry/Point.h"
#include "geometry/Vector.h"

// A cubic Bezier curve in single precision, made from its ends and the
// tangents at them: P0 = S, P1 = S + u, P2 = E + w, P3 = E.
class CubicBezier {
public:
    CubicBezier() = default;
    CubicBezier(const TAVO::Point<2, float>& start, const TAVO::Vector<2, float>& startTangent,
                const TAVO::Point<2, float>& end, const TAVO::Vector<2, float>& endTangent);

    // B(t) for t in [0, 1]; outside it throws TAVO::BoundException<float>
    // (t, the bound crossed).
    TAVO::Point<2, float> at(float t) const;
    // The distance from p to the nearest of the 16 samples B(k / 15).
    float distance(const TAVO::Point<2, float>& p) const;

    const TAVO::Vector<2, float>& control(int i) const { return control_[i]; }

private:
    TAVO::Vector<2, float> control_[4];
};
