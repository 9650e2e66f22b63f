#pragma once

#include <algorithm>
#include <memory>
#include <new>

#include "foundation/exceptions/AllocateException.h"
#include "imaging/SinglaBaseSerializable.h"

namespace TAVO {

// A signal that owns its samples.
template <int N, class T>
class Signal : public SinglaBaseSerializable<N, T, T*> {
public:
    using Size = Tuple<N, unsigned int>;

    // Size all 0, no samples.
    Signal() = default;
    Signal(const Signal& other) { *this = other; }
    Signal(Signal&& other) noexcept { swap(other); }
    Signal& operator=(const Signal& other) {
        if (this == &other)
            return *this;
        Signal copy;
        copy.allocate(other.count_);
        std::copy(other.data_, other.data_ + other.count_, copy.data_);
        copy.size_ = other.size_;
        copy.count_ = other.count_;
        swap(copy);
        return *this;
    }
    Signal& operator=(Signal&& other) noexcept {
        Signal moved(std::move(other.storage_), other.size_, other.count_, other.capacity_);
        other.reset();
        swap(moved);
        return *this;
    }

    // Gives the signal a new size. A different sample count gets new storage
    // (none for 0); with keep the first min(old, new) samples, in memory
    // order, are carried over. An equal count only changes the size. A count
    // beyond 32 bits throws BoundException, a failed allocation
    // AllocateException; either leaves the signal as it was.
    void resize(const Size& size, bool keep) {
        const std::uint32_t count = this->countOf(size);
        if (count != this->count_) {
            Signal fresh;
            fresh.allocate(count);
            if (keep) {
                const std::uint32_t kept = std::min(count, this->count_);
                std::copy(this->data_, this->data_ + kept, fresh.data_);
            }
            storage_ = std::move(fresh.storage_);
            this->data_ = storage_.get();
            capacity_ = count;
        }
        this->size_ = size;
        this->count_ = count;
    }
    // resize without keeping.
    void setSize(const Size& size) override { resize(size, false); }
    std::uint32_t capacity() const override { return capacity_; }
    // Every sample set to one value.
    void fill(T value) { std::fill(this->data_, this->data_ + this->count_, value); }

    void swap(Signal& other) noexcept {
        std::swap(storage_, other.storage_);
        std::swap(this->data_, other.data_);
        std::swap(this->size_, other.size_);
        std::swap(this->count_, other.count_);
        std::swap(capacity_, other.capacity_);
    }

private:
    Signal(std::unique_ptr<T[]> storage, const Size& size, std::uint32_t count, std::uint32_t capacity)
        : storage_(std::move(storage)), capacity_(capacity) {
        this->data_ = storage_.get();
        this->size_ = size;
        this->count_ = count;
    }
    void reset() {
        storage_.reset();
        this->data_ = nullptr;
        this->size_ = Size();
        this->count_ = 0;
        capacity_ = 0;
    }
    // Fresh storage for count samples (value-initialised); the signal must be empty.
    void allocate(std::uint32_t count) {
        if (count == 0)
            return;
        try {
            storage_.reset(new T[count]());
        } catch (const std::bad_alloc&) {
            throw AllocateException(SourceLocation(), "signal samples");
        }
        this->data_ = storage_.get();
        capacity_ = count;
    }

    std::unique_ptr<T[]> storage_;
    std::uint32_t capacity_ = 0;
};

} // namespace TAVO
