#pragma once

#include <cmath>

#include "foundation/serialization/Serializable.h"
#include "geometry/Ray.h"

namespace TAVO {

// A segment as a ray and a length.
template <int N, class T>
class LineSegment : public Serializable {
    static_assert(N == 2, "segments are two-dimensional");

public:
    LineSegment() = default;
    LineSegment(const Ray<N, T>& ray, T length) : ray_(ray), length_(length) {}
    // From a to b: origin a, length |b - a| (the squares summed in T, the square
    // root taken in double), direction (b - a) / length. When the length is not
    // above 0 the direction is (1/sqrt(2), 1/sqrt(2)) and the length 0.
    LineSegment(const Point<N, T>& a, const Point<N, T>& b) {
        const Vector<N, T> d = b - a;
        const T sum = static_cast<T>(static_cast<T>(d[0] * d[0]) + static_cast<T>(d[1] * d[1]));
        const T length = static_cast<T>(std::sqrt(static_cast<double>(sum)));
        ray_.origin() = a;
        if (length > T(0)) {
            ray_.direction() = Vector<N, T>(static_cast<T>(d[0] / length), static_cast<T>(d[1] / length));
            length_ = length;
        } else {
            ray_.direction() = Vector<N, T>(static_cast<T>(1.0 / std::sqrt(2.0)));
            length_ = T(0);
        }
    }

    Ray<N, T>& ray() { return ray_; }
    const Ray<N, T>& ray() const { return ray_; }
    T& length() { return length_; }
    T length() const { return length_; }

    void serialize(Serialization& serialization) override {
        serialization.serialize(ray_);
        serialization.serialize(length_);
    }

private:
    Ray<N, T> ray_;
    T length_ = T(0);
};

} // namespace TAVO
