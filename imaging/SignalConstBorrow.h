#pragma once

#include "foundation/exceptions/SpaceException.h"
#include "imaging/SignalBase.h"

namespace TAVO {

// A read-only view of samples it does not own, with a capacity in samples.
template <int N, class T>
class SignalConstBorrow : public SignalBase<N, T, const T*> {
public:
    using Size = Tuple<N, unsigned int>;

    SignalConstBorrow() = default;
    // A view of size's product samples at data; the capacity is that product.
    SignalConstBorrow(const T* data, const Size& size)
        : SignalBase<N, T, const T*>(data, size), capacity_(this->count_) {}
    // A read-only view of any signal's current samples.
    template <class P>
    SignalConstBorrow(const SignalBase<N, T, P>& signal) : SignalConstBorrow(signal.data(), signal.size()) {}

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
    std::uint32_t capacity() const { return capacity_; }

protected:
    std::uint32_t capacity_ = 0;
};

} // namespace TAVO
