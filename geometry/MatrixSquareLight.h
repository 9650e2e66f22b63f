#pragma once

#include <initializer_list>
#include <utility>

#include "geometry/MatrixLight.h"

namespace TAVO {

// An N x N matrix, the identity unless its elements are given.
template <int N, class T>
class MatrixSquareLight : public MatrixLight<N, N, T> {
public:
    MatrixSquareLight() {
        for (int i = 0; i < N; ++i)
            this->elements_[i * N + i] = T(1);
    }
    MatrixSquareLight(std::initializer_list<T> elements) : MatrixLight<N, N, T>(elements) {}
    MatrixSquareLight(const MatrixLight<N, N, T>& other) : MatrixLight<N, N, T>(other) {}

    // Swaps (i, j) and (j, i) for every j > i.
    void transpose() {
        for (int i = 0; i < N; ++i)
            for (int j = i + 1; j < N; ++j)
                std::swap(this->elements_[i * N + j], this->elements_[j * N + i]);
    }
};

} // namespace TAVO
