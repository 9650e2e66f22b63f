#pragma once

#include <cmath>

#include "foundation/serialization/Serializable.h"
#include "geometry/Point.h"
#include "geometry/Vector.h"

namespace TAVO {

// A half-line: an origin and a unit direction.
template <int N, class T>
class Ray : public Serializable {
public:
    Ray() = default;
    // Normalises the direction: the squares are summed in T, the square root is
    // taken in double and rounded to T, and each component is divided by it.
    // A zero direction is not tested for (it gives not-a-number components).
    Ray(const Point<N, T>& origin, const Vector<N, T>& direction) : origin_(origin), direction_(direction) {
        T sum = T(0);
        for (int i = 0; i < N; ++i)
            sum = static_cast<T>(sum + direction[i] * direction[i]);
        const T length = static_cast<T>(std::sqrt(static_cast<double>(sum)));
        direction_ /= length;
    }

    Point<N, T>& origin() { return origin_; }
    const Point<N, T>& origin() const { return origin_; }
    Vector<N, T>& direction() { return direction_; }
    const Vector<N, T>& direction() const { return direction_; }

    void serialize(Serialization& serialization) override {
        serialization.serialize(origin_);
        serialization.serialize(direction_);
    }

private:
    Point<N, T> origin_;
    Vector<N, T> direction_;
};

} // namespace TAVO
