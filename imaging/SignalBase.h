#pragma once

#include <cstdint>

#include "foundation/exceptions/BoundException.h"
#include "geometry/Tuple.h"

namespace TAVO {

// A dense N-dimensional array of samples of type T, reached through the
// pointer type P (T* or const T*). Dimension 0 varies fastest: the sample at
// (i0, i1, ...) lies at index i0 + s0 x (i1 + s1 x (i2 + ...)). A picture is a
// three-dimensional signal of size (channels, width, height).
//
// Every size's sample count fits 32 bits; a larger one is refused.
template <int N, class T, class P>
class SignalBase {
public:
    using Size = Tuple<N, unsigned int>;
    using Coordinate = Tuple<N, int>;
    using Sample = T;

    virtual ~SignalBase() = default;

    // Gives the signal a new size; each kind of signal decides what happens to its storage.
    virtual void setSize(const Size& size) = 0;

    const Size& size() const { return size_; }
    std::uint32_t count() const { return count_; }
    P data() const { return data_; }
    bool empty() const { return count_ == 0; }

    // The product of the components in 64 bits.
    static std::uint64_t product(const Size& size) {
        std::uint64_t result = 1;
        for (int d = 0; d < N; ++d)
            result *= size[d];
        return result;
    }
    // The product of the components when it fits 32 bits; otherwise
    // BoundException<unsigned long long>(product, 0xFFFFFFFF). Never
    // overflows: a zero component gives 0 whatever the others are.
    static std::uint32_t countOf(const Size& size) {
        std::uint64_t result = 1;
        for (int d = 0; d < N; ++d)
            if (size[d] == 0)
                return 0;
        for (int d = 0; d < N; ++d) {
            result *= size[d];
            if (result > 0xFFFFFFFFull)
                throw BoundException<unsigned long long>(SourceLocation(), product(size) , 0xFFFFFFFFull);
        }
        return std::uint32_t(result);
    }

    // The linear index of a coordinate, without a test.
    template <class C>
    std::uint32_t index(const C& coordinate) const {
        std::uint64_t result = 0;
        for (int d = N - 1; d >= 0; --d)
            result = result * size_[d] + std::uint32_t(coordinate[d]);
        return std::uint32_t(result);
    }
    // The index and true for a coordinate inside the signal; false (and index 0) otherwise.
    bool testedIndex(const Coordinate& coordinate, std::uint32_t& index) const {
        for (int d = 0; d < N; ++d) {
            if (coordinate[d] < 0 || std::int64_t(coordinate[d]) >= std::int64_t(size_[d])) {
                index = 0;
                return false;
            }
        }
        index = this->index(coordinate);
        return true;
    }
    // The index of a coordinate inside the signal. Dimensions are tested from
    // the last to the first: a negative coordinate throws BoundException<int>
    // (coordinate, 0), one not below its size (coordinate, size).
    std::uint32_t checkedIndex(const Coordinate& coordinate) const {
        for (int d = N - 1; d >= 0; --d) {
            if (coordinate[d] < 0)
                throw BoundException<int>(SourceLocation(), coordinate[d], 0);
            if (std::int64_t(coordinate[d]) >= std::int64_t(size_[d]))
                throw BoundException<int>(SourceLocation(), coordinate[d], int(size_[d]));
        }
        return index(coordinate);
    }
    // The sample at a coordinate; 0 outside the signal.
    T sample(const Coordinate& coordinate) const {
        std::uint32_t i = 0;
        return testedIndex(coordinate, i) ? data_[i] : T(0);
    }
    // The sample at a linear index, without a test.
    T operator[](std::uint32_t index) const { return data_[index]; }

protected:
    SignalBase() = default;
    SignalBase(P data, const Size& size) : size_(size), count_(countOf(size)), data_(data) {}
    SignalBase(const SignalBase&) = default;
    SignalBase& operator=(const SignalBase&) = default;

    Size size_;
    std::uint32_t count_ = 0;
    P data_ = nullptr;
};

} // namespace TAVO
