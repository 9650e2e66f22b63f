#pragma once

#include "foundation/exceptions/SpaceException.h"
#include "imaging/SinglaBaseSerializable.h"

namespace TAVO {

// A writable view of samples it does not own, with a capacity in samples.
template <int N, class T>
class SignalBorrow : public SinglaBaseSerializable<N, T, T*> {
public:
    using Size = Tuple<N, unsigned int>;

    SignalBorrow() = default;
    // A view of size's product samples at data; the capacity is that product.
    SignalBorrow(T* data, const Size& size) : SinglaBaseSerializable<N, T, T*>(data, size), capacity_(this->count_) {}
    // A view of a signal's samples (not owned), its capacity the signal's.
    template <class S>
        requires std::is_base_of_v<SinglaBaseSerializable<N, T, T*>, S>
    explicit SignalBorrow(S& signal) : SignalBorrow(signal.data(), signal.size()) {}

    // A new size over the same samples: more samples than the capacity throw
    // SpaceException<unsigned int>(count, capacity).
    void reshape(const Size& size) {
        const std::uint64_t count = this->product(size);
        if (count > capacity_)
            throw SpaceException<unsigned int>(SourceLocation(), count > 0xFFFFFFFFull ? 0xFFFFFFFFu : std::uint32_t(count),
                                               capacity_);
        this->size_ = size;
        this->count_ = std::uint32_t(count);
    }
    void setSize(const Size& size) override { reshape(size); }
    std::uint32_t capacity() const override { return capacity_; }

private:
    std::uint32_t capacity_ = 0;
};

} // namespace TAVO
