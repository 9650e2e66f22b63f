#pragma once

#include <type_traits>

#include "geometry/TupleBaseSerializable.h"

namespace TAVO {

// N components of T, owned: sizes, grids, index triples, colour samples.
template <int N, class T>
class Tuple : public TupleBaseSerializable<N, T, T[N]> {
public:
    // Every component 0.
    Tuple() = default;
    // Every component set to one value.
    explicit Tuple(T value) { this->fill(value); }
    // The N components in order.
    template <class... A>
        requires(N > 1 && sizeof...(A) == N && (std::is_convertible_v<A, T> && ...))
    Tuple(A... values) {
        const T components[N] = {static_cast<T>(values)...};
        this->copyFrom(components);
    }
    // A copy of the components of any tuple of the same size (a view included).
    template <class S>
    Tuple(const TupleBase<N, T, S>& other) { this->copyFrom(other); }
    // The components of the first tuple followed by those of the second.
    template <int A, class S1, int B, class S2>
        requires(A + B == N)
    Tuple(const TupleBase<A, T, S1>& first, const TupleBase<B, T, S2>& second) {
        for (int i = 0; i < A; ++i)
            (*this)[i] = first[i];
        for (int i = 0; i < B; ++i)
            (*this)[A + i] = second[i];
    }

    Tuple(const Tuple&) = default;
    Tuple& operator=(const Tuple&) = default;
    template <class S>
    Tuple& operator=(const TupleBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }
};

// Component-wise arithmetic in the element type's precision.
template <int N, class T, class S1, class S2>
Tuple<N, T> operator+(const TupleBase<N, T, S1>& a, const TupleBase<N, T, S2>& b) {
    Tuple<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] + b[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Tuple<N, T> operator-(const TupleBase<N, T, S1>& a, const TupleBase<N, T, S2>& b) {
    Tuple<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] - b[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Tuple<N, T> operator*(const TupleBase<N, T, S1>& a, const TupleBase<N, T, S2>& b) {
    Tuple<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] * b[i]);
    return result;
}

template <int N, class T, class S1, class S2>
Tuple<N, T> operator/(const TupleBase<N, T, S1>& a, const TupleBase<N, T, S2>& b) {
    Tuple<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(a[i] / b[i]);
    return result;
}

template <int N, class T, class S>
Tuple<N, T> operator*(std::type_identity_t<T> scalar, const TupleBase<N, T, S>& a) {
    Tuple<N, T> result;
    for (int i = 0; i < N; ++i)
        result[i] = static_cast<T>(scalar * a[i]);
    return result;
}

template <int N, class T, class S>
Tuple<N, T> operator*(const TupleBase<N, T, S>& a, std::type_identity_t<T> scalar) {
    return scalar * a;
}

} // namespace TAVO
