#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/Signal.h"
#include "imaging/SignalBorrow.h"
#include "imaging/SignalConstBorrow.h"
#include "imaging/SignalGridSampler.h"
#include "imaging/SignalReduceWork.h"

// Operations on signals. Pictures are three-dimensional byte signals of size
// (channels, width, height). Every test of an operation comes before the
// first sample is written.
namespace TAVO {

using ByteSignal3 = SinglaBaseSerializable<3, unsigned char, unsigned char*>;
using ByteSignal2 = SinglaBaseSerializable<2, unsigned char, unsigned char*>;

// Copies the region of the given size at origin out of the source into the
// target, which is given that size. For each dimension d: origin[d] < 0 throws
// BoundException<int>(origin[d], 0), origin[d] > source.size[d] - size[d]
// BoundException<int>(origin[d], source.size[d] - size[d]).
void copyRegion(const SignalConstBorrow<3, unsigned char>& source, const Tuple<3, int>& origin,
                const Tuple<3, unsigned int>& size, ByteSignal3& target);
// Copies the whole source into the target at the offset, with the bound tests of copyRegion.
void paste(ByteSignal3& target, const Tuple<3, int>& offset, const SignalConstBorrow<3, unsigned char>& source);
// Exchanges dimensions a and b (sizes and sample coordinates). a or b above 2
// throws BoundException<unsigned int>(value, 2).
void swapDimensions(ByteSignal3& signal, std::uint32_t a, std::uint32_t b);
// Afterwards dimension i is the former dimension order[i]. An order that does
// not name 0, 1 and 2 once each throws UnexpectedValueException.
void reorder(ByteSignal3& signal, const Tuple<3, unsigned int>& order);
// Multiplies in place, sample by sample, keeping 16 bits; unequal sizes throw SignalSizeException.
void multiply(SignalBorrow<1, short>& signal, const SignalConstBorrow<1, unsigned char>& factors);

// The bilinear sample at (x, y); samples outside the signal count as 0.
float bilinear(const SignalConstBorrow<2, unsigned char>& signal, float x, float y);
// Fills the target, row by row, with the truncated bilinear samples of the sampler.
void sampleGrid(ByteSignal2& target, const SignalGridSampler& sampler);
// Each target sample (c, x, y) becomes the bilinear sample of source channel c
// at (x * step.x, y * step.y), clamped to 0..255. The target keeps its size
// and needs at least the source's channels (else SignalSizeException); an
// empty source throws SignalSizeException.
void resample(const SignalConstBorrow<3, unsigned char>& source, ByteSignal3& target, const Vector<2, float>& step);
// resample with the step that maps corner samples onto each other. A target
// side below 2 throws BoundException<unsigned int>(side, 2).
void scale(const SignalConstBorrow<3, unsigned char>& source, ByteSignal3& target);
// Halves width (axis 0) or height (axis 1) with the binomial filter 1 4 6 4 1.
// The target is resized and cleared first; more than 4 channels then throw
// SupportException "more than 4 channels", a halved length below 2
// BoundException<unsigned int>(length, 2), an axis above 1
// BoundException<unsigned int>(axis, 1).
void halve(const SignalConstBorrow<3, unsigned char>& source, ByteSignal3& target, std::uint32_t axis);
// Halves the work's current picture while both its sides are at least twice
// the target's, then scales it onto the target.
void reduce(SignalReduceWork& work, ByteSignal3& target);

// Changes the size so that every sample inside both the old and the new size
// keeps its coordinate; new samples are unspecified.
template <int N, class T>
void resizeKeeping(Signal<N, T>& signal, const Tuple<N, unsigned int>& size) {
    const Tuple<N, unsigned int> old = signal.size();
    if (old == size)
        return;
    // A size beyond 32 bits of samples is refused before anything moves.
    Signal<N, T>::countOf(size);
    for (int d = 0; d < N; ++d) {
        if (size[d] == 0 || old[d] == 0) {
            signal.resize(size, false);
            return;
        }
    }
    // Compare the partial products of both sizes.
    bool grows = false;
    bool shrinks = false;
    std::uint64_t oldProduct = 1;
    std::uint64_t newProduct = 1;
    for (int d = 0; d < N; ++d) {
        oldProduct *= old[d];
        newProduct *= size[d];
        grows = grows || newProduct > oldProduct;
        shrinks = shrinks || newProduct < oldProduct;
    }
    if (grows && shrinks) {
        Tuple<N, unsigned int> between;
        for (int d = 0; d < N; ++d)
            between[d] = std::min(old[d], size[d]);
        resizeKeeping(signal, between);
        resizeKeeping(signal, size);
        return;
    }
    // Leading dimensions equal in both sizes form one run with the first differing one.
    int first = 0;
    std::uint64_t block = 1;
    while (first < N && old[first] == size[first])
        block *= old[first++];
    if (first == N)
        return;
    const std::uint64_t run = block * std::min(old[first], size[first]);
    const std::uint64_t oldStride = block * old[first];
    const std::uint64_t newStride = block * size[first];
    // The runs: every coordinate of the dimensions after `first` inside both sizes.
    std::uint64_t runs = 1;
    for (int d = first + 1; d < N; ++d)
        runs *= std::min(old[d], size[d]);
    auto place = [&](std::uint64_t r, std::uint64_t& from, std::uint64_t& to) {
        std::uint64_t oldIndex = 0;
        std::uint64_t newIndex = 0;
        std::uint64_t oldScale = oldStride;
        std::uint64_t newScale = newStride;
        for (int d = first + 1; d < N; ++d) {
            const std::uint64_t extent = std::min(old[d], size[d]);
            const std::uint64_t c = r % extent;
            r /= extent;
            oldIndex += c * oldScale;
            newIndex += c * newScale;
            oldScale *= old[d];
            newScale *= size[d];
        }
        from = oldIndex;
        to = newIndex;
    };
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    if (grows) {
        signal.resize(size, true);
        T* data = signal.data();
        for (std::uint64_t r = runs; r-- > 0;) {
            place(r, from, to);
            if (from != to)
                std::memmove(data + to, data + from, run * sizeof(T));
        }
    } else {
        T* data = signal.data();
        for (std::uint64_t r = 0; r < runs; ++r) {
            place(r, from, to);
            if (from != to)
                std::memmove(data + to, data + from, run * sizeof(T));
        }
        signal.resize(size, true);
    }
}

} // namespace TAVO
