#pragma once

#include <cmath>
#include <vector>

#include "imaging/Signal.h"

namespace TAVO {

// Filter kernels over signals of sample type T.
template <class T>
class SignalFilterKernel {
public:
    template <int N>
    class Dct;
};

// The 8 x 8 discrete cosine transform as 64 kernels, one per output sample:
// kernel p = x + 8 y (x the column, y the row) is an 8 x 8 signal holding the
// weight of every coefficient at the coefficient's zig-zag position, so that
// sample (x, y) is the sum over k of coefficient k times sample k of kernel p.
// Only the inverse form is built. The weights are computed in T with the
// constants below, so that the transform gives the same result everywhere.
template <class T>
template <int N>
class SignalFilterKernel<T>::Dct {
    static_assert(N == 2, "the DCT kernels are two-dimensional");

public:
    static constexpr T pi = T(3.1415927);
    // The nearest value of 1 / sqrt(2) in single precision.
    static constexpr T rootHalf = T(0.70710677);

    Dct() : kernels_(64) {
        for (unsigned y = 0; y < 8; ++y)
            for (unsigned x = 0; x < 8; ++x) {
                Signal<2, T>& kernel = kernels_[x + 8 * y];
                kernel.resize(Tuple<2, unsigned int>(8u, 8u), false);
                for (unsigned v = 0; v < 8; ++v)
                    for (unsigned u = 0; u < 8; ++u)
                        kernel.data()[zigZag(u, v)] = weight(x, y, u, v);
            }
    }

    bool inverse() const { return inverse_; }
    const std::vector<Signal<2, T>>& kernels() const { return kernels_; }

    // The zig-zag position of the coefficient of horizontal frequency u and
    // vertical frequency v.
    static unsigned zigZag(unsigned u, unsigned v) {
        const unsigned d = u + v;
        if (d < 8)
            return d * (d + 1) / 2 + ((d & 1u) ? v : u);
        return 63 - zigZag(7 - u, 7 - v);
    }

    // The inverse weight of coefficient (u, v) for output sample (x, y):
    // cos(u a) C(u) 1/4 (C(v) cos(v b)) with a = (x + 1/2) pi / 8 and
    // b = (y + 1/2) pi / 8, each step rounded to T.
    static T weight(unsigned x, unsigned y, unsigned u, unsigned v) {
        const T a = (T(x) + T(0.5)) * pi * T(0.125);
        const T b = (T(y) + T(0.5)) * pi * T(0.125);
        const T scale = T(1) * T(std::sqrt(T(0.25))) * T(std::sqrt(T(0.25)));
        const T cu = u == 0 ? rootHalf : T(1);
        const T cv = v == 0 ? rootHalf : T(1);
        return T(std::cos(T(u) * a)) * cu * scale * (cv * T(std::cos(T(v) * b)));
    }

private:
    bool inverse_ = true;
    std::vector<Signal<2, T>> kernels_;
};

} // namespace TAVO
