#pragma once

#include "foundation/exceptions/SpaceException.h"
#include "foundation/serialization/Serializable.h"
#include "foundation/serialization/Serialization.h"
#include "imaging/SignalBase.h"

namespace TAVO {

// A writable signal that serialises itself: the size (its N components), then
// every sample in memory order through the sample type's slot. Reading never
// reallocates: a stored size with more samples than the signal's storage
// throws SpaceException<unsigned long long>(count, storage) before anything changes.
template <int N, class T, class P>
class SinglaBaseSerializable : public SignalBase<N, T, P>, public Serializable {
public:
    using typename SignalBase<N, T, P>::Size;
    using typename SignalBase<N, T, P>::Coordinate;

    // The samples the storage holds, at least count().
    virtual std::uint32_t capacity() const = 0;

    void serialize(Serialization& serialization) override {
        if (serialization.reading()) {
            Size size;
            size.serialize(serialization);
            const std::uint64_t count = SignalBase<N, T, P>::product(size);
            if (count > capacity())
                throw SpaceException<unsigned long long>(SourceLocation(), count, capacity());
            this->size_ = size;
            this->count_ = std::uint32_t(count);
        } else {
            Size size = this->size_;
            size.serialize(serialization);
        }
        for (std::uint32_t i = 0; i < this->count_; ++i)
            serialization.serialize(this->data_[i]);
    }

    // Writes a sample at a coordinate, without a test.
    void setSample(const Coordinate& coordinate, T value) { this->data_[this->index(coordinate)] = value; }
    // The sample at a linear index, without a test.
    T& operator[](std::uint32_t index) { return this->data_[index]; }
    T operator[](std::uint32_t index) const { return this->data_[index]; }

protected:
    using SignalBase<N, T, P>::SignalBase;
    SinglaBaseSerializable() = default;
    SinglaBaseSerializable(const SinglaBaseSerializable&) = default;
    SinglaBaseSerializable& operator=(const SinglaBaseSerializable&) = default;
};

} // namespace TAVO
