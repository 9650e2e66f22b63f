#pragma once

#include <type_traits>

#include "geometry/PointBaseSerializable.h"
#include "geometry/Vector.h"

namespace TAVO {

// A position of N components of T, owned. A point is neither a tuple nor a vector.
template <int N, class T>
class Point : public PointBaseSerializable<N, T, T[N]> {
public:
    // Every component 0.
    Point() = default;
    // Every component set to one value.
    explicit Point(T value) { this->fill(value); }
    // The N components in order.
    template <class... A>
        requires(N > 1 && sizeof...(A) == N && (std::is_convertible_v<A, T> && ...))
    Point(A... values) {
        const T components[N] = {static_cast<T>(values)...};
        this->copyFrom(components);
    }
    // A copy of the components of any point of the same size (a view included).
    template <class S>
    Point(const PointBase<N, T, S>& other) { this->copyFrom(other); }

    Point(const Point&) = default;
    Point& operator=(const Point&) = default;
    template <class S>
    Point& operator=(const PointBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }

    template <class S>
    Point& operator+=(const VectorBase<N, T, S>& offset) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] + offset[i]);
        return *this;
    }
    template <class S>
    Point& operator-=(const VectorBase<N, T, S>& offset) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] - offset[i]);
        return *this;
    }
};

// The vector from b to a.
template <int N, class T, class S1, class S2>
Vector<N, T> operator-(const PointBase<N, T, S1>& a, const PointBase<N, T, S2>& b) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] - b[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Point<N, T> operator+(const PointBase<N, T, S1>& p, const VectorBase<N, T, S2>& v) {
    Point<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(p[i] + v[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Point<N, T> operator-(const PointBase<N, T, S1>& p, const VectorBase<N, T, S2>& v) {
    Point<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(p[i] - v[i]);
    return result;
}

} // namespace TAVO
