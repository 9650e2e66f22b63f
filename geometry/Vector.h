#pragma once

#include <cmath>
#include <type_traits>

#include "geometry/VectorBaseSerializable.h"

namespace TAVO {

// A displacement or an extent of N components of T, owned.
template <int N, class T>
class Vector : public VectorBaseSerializable<N, T, T[N]> {
public:
    // Every component 0.
    Vector() = default;
    // Every component set to one value.
    explicit Vector(T value) { this->fill(value); }
    // The N components in order.
    template <class... A>
        requires(N > 1 && sizeof...(A) == N && (std::is_convertible_v<A, T> && ...))
    Vector(A... values) {
        const T components[N] = {static_cast<T>(values)...};
        this->copyFrom(components);
    }
    // A copy of the components of any vector of the same size (a view included).
    template <class S>
    Vector(const VectorBase<N, T, S>& other) { this->copyFrom(other); }

    Vector(const Vector&) = default;
    Vector& operator=(const Vector&) = default;
    template <class S>
    Vector& operator=(const VectorBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }

    // Scales every component in place, in the element type's precision.
    Vector& operator*=(T scalar) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] * scalar);
        return *this;
    }
    Vector& operator/=(T scalar) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] / scalar);
        return *this;
    }
    template <class S>
    Vector& operator+=(const VectorBase<N, T, S>& other) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] + other[i]);
        return *this;
    }
    template <class S>
    Vector& operator-=(const VectorBase<N, T, S>& other) {
        for (int i = 0; i < N; ++i)
            (*this)[i] = static_cast<T>((*this)[i] - other[i]);
        return *this;
    }
};

template <int N, class T, class S>
Vector<N, T> operator*(std::type_identity_t<T> scalar, const VectorBase<N, T, S>& v) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(scalar * v[i]);
    return result;
}

template <int N, class T, class S>
Vector<N, T> operator*(const VectorBase<N, T, S>& v, std::type_identity_t<T> scalar) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(v[i] * scalar);
    return result;
}

template <int N, class T, class S>
Vector<N, T> operator/(const VectorBase<N, T, S>& v, std::type_identity_t<T> scalar) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(v[i] / scalar);
    return result;
}

template <int N, class T, class S1, class S2>
Vector<N, T> operator+(const VectorBase<N, T, S1>& a, const VectorBase<N, T, S2>& b) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] + b[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Vector<N, T> operator-(const VectorBase<N, T, S1>& a, const VectorBase<N, T, S2>& b) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] - b[i]);
    return result;
}

template <int N, class T, class S>
Vector<N, T> operator-(const VectorBase<N, T, S>& v) {
    Vector<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(-v[i]);
    return result;
}

// The dot product, summed from the first component up.
template <int N, class T, class S1, class S2>
T dot(const VectorBase<N, T, S1>& a, const VectorBase<N, T, S2>& b) {
    T sum = T(0);
    for (int i = 0; i < N; ++i)
        sum = static_cast<T>(sum + a[i] * b[i]);
    return sum;
}

// The length: the squares summed in T from the first component up, the square
// root taken in double and rounded to T (the rule Ray and LineSegment follow).
template <int N, class T, class S>
T length(const VectorBase<N, T, S>& v) {
    T sum = T(0);
    for (int i = 0; i < N; ++i)
        sum = static_cast<T>(sum + v[i] * v[i]);
    return static_cast<T>(std::sqrt(static_cast<double>(sum)));
}

// The vector divided, component by component, by its length (see length). A
// zero vector is not tested for: its components become not-a-number.
template <int N, class T, class S>
Vector<N, T> normalised(const VectorBase<N, T, S>& v) {
    return v / length(v);
}

} // namespace TAVO
