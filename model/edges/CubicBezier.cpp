#include "model/edges/CubicBezier.h"

#include <cmath>

#include "foundation/exceptions/BoundException.h"

using TAVO::Point;
using TAVO::Vector;

namespace {

Vector<2, float> asVector(const Point<2, float>& p) { return Vector<2, float>(p[0], p[1]); }

} // namespace

CubicBezier::CubicBezier(const Point<2, float>& start, const Vector<2, float>& startTangent,
                         const Point<2, float>& end, const Vector<2, float>& endTangent) {
    control_[0] = asVector(start);
    control_[1] = asVector(start + startTangent);
    control_[2] = asVector(end + endTangent);
    control_[3] = asVector(end);
}

Point<2, float> CubicBezier::at(float t) const {
    if (t < 0.0f)
        throw TAVO::BoundException<float>(TAVO::SourceLocation(), t, 0.0f);
    if (t > 1.0f)
        throw TAVO::BoundException<float>(TAVO::SourceLocation(), t, 1.0f);
    const float u = 1.0f - t;
    // Weights with u = 1 - t: (u*u)*u, ((u*3)*u)*t, ((3*u)*t)*t, (t*t)*t.
    const float w0 = (u * u) * u;
    const float w1 = ((u * 3.0f) * u) * t;
    const float w2 = ((3.0f * u) * t) * t;
    const float w3 = (t * t) * t;
    // Summed left to right: ((w0*P0 + w1*P1) + w2*P2) + w3*P3.
    const Vector<2, float> sum = ((w0 * control_[0] + w1 * control_[1]) + w2 * control_[2]) + w3 * control_[3];
    return Point<2, float>(sum[0], sum[1]);
}

float CubicBezier::distance(const Point<2, float>& p) const {
    float nearest = 0.0f;
    for (int k = 0; k <= 15; ++k) {
        const Vector<2, float> d = p - at(float(k) / 15.0f);
        // Squared distance: the squares summed in float.
        const float squared = d[0] * d[0] + d[1] * d[1];
        if (k == 0 || squared < nearest)
            nearest = squared;
    }
    // Square root in double, rounded to float.
    return static_cast<float>(std::sqrt(static_cast<double>(nearest)));
}
