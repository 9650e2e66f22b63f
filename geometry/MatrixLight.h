#pragma once

#include <algorithm>
#include <initializer_list>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/serialization/Serializable.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

// R rows of C elements of T, stored row by row. Square matrices act on
// column vectors.
template <int R, int C, class T>
class MatrixLight : public Serializable {
    static_assert(R >= 1 && C >= 1, "a matrix has at least one row and column");

public:
    static constexpr int rows = R;
    static constexpr int columns = C;

    // Every element 0.
    MatrixLight() : elements_{} {}
    // The R x C elements row by row; a list of another length throws.
    MatrixLight(std::initializer_list<T> elements) : elements_{} {
        if (elements.size() != std::size_t(R * C))
            throw UnexpectedValueException(SourceLocation(), "An element list of the wrong length",
                                           "a complete matrix");
        std::copy(elements.begin(), elements.end(), elements_);
    }

    // Row access; a row index not below R throws BoundException<unsigned int>.
    T* operator[](unsigned int row) {
        checkRow(row);
        return elements_ + row * C;
    }
    const T* operator[](unsigned int row) const {
        checkRow(row);
        return elements_ + row * C;
    }

    T* data() { return elements_; }
    const T* data() const { return elements_; }

    bool operator==(const MatrixLight& other) const {
        return std::equal(elements_, elements_ + R * C, other.elements_);
    }

    // result := a * b, each entry the dot product of a row of a and a column of
    // b, summed from the first term up. The result must be a separate matrix.
    template <int K>
    static void product(const MatrixLight<R, K, T>& a, const MatrixLight<K, C, T>& b, MatrixLight& result) {
        const T* x = a.data();
        const T* y = b.data();
        T* out = result.data();
        for (int r = 0; r < R; ++r)
            for (int c = 0; c < C; ++c) {
                T sum = T(0);
                for (int k = 0; k < K; ++k)
                    sum = static_cast<T>(sum + x[r * K + k] * y[k * C + c]);
                out[r * C + c] = sum;
            }
    }

    void serialize(Serialization& serialization) override {
        for (int i = 0; i < R * C; ++i)
            serialization.serialize(elements_[i]);
    }

protected:
    T elements_[R * C];

private:
    static void checkRow(unsigned int row) {
        if (row >= unsigned(R))
            throw BoundException<unsigned int>(SourceLocation(), row, unsigned(R));
    }
};

} // namespace TAVO
