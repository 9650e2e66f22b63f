#include "foundation/streams/IncrementalBuffer.h"

#include <algorithm>
#include <cstring>

namespace TAVO {

IncrementalBuffer::IncrementalBuffer(std::uint32_t initialCapacity, std::uint32_t size) {
    if (initialCapacity != 0) {
        storage_.reset(new std::uint8_t[initialCapacity]);
        capacity_ = initialCapacity;
        size_ = initialCapacity;
    }
    resize(size);
}

IncrementalBuffer::IncrementalBuffer(const IncrementalBuffer& other) : DynamicBuffer() {
    assign(other);
}

IncrementalBuffer::IncrementalBuffer(IncrementalBuffer&& other) noexcept
    : storage_(std::move(other.storage_)), capacity_(other.capacity_) {
    size_ = other.size_;
    other.size_ = 0;
    other.capacity_ = 0;
}

IncrementalBuffer& IncrementalBuffer::operator=(const IncrementalBuffer& other) {
    assign(other);
    return *this;
}

IncrementalBuffer& IncrementalBuffer::operator=(IncrementalBuffer&& other) noexcept {
    if (this != &other) {
        storage_ = std::move(other.storage_);
        capacity_ = other.capacity_;
        size_ = other.size_;
        other.size_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

std::uint32_t IncrementalBuffer::grownCapacity(std::uint32_t needed) const {
    const std::uint64_t doubled = std::uint64_t(capacity_) * 2;
    return std::uint32_t(std::min<std::uint64_t>(std::max<std::uint64_t>(doubled, needed), 0xFFFFFFFFu));
}

void IncrementalBuffer::setSize(std::uint32_t size) {
    if (size == size_)
        return;
    if (size > capacity_) {
        const std::uint32_t capacity = grownCapacity(size);
        // Free first, then allocate: after a failed allocation the buffer is
        // empty and still safe to use and destroy.
        storage_.reset();
        capacity_ = 0;
        size_ = 0;
        storage_.reset(new std::uint8_t[capacity]);
        capacity_ = capacity;
    }
    size_ = size;
}

void IncrementalBuffer::resize(std::uint32_t size) {
    if (size == size_)
        return;
    if (size_ == 0 || size == 0 || size <= capacity_) {
        setSize(size);
        return;
    }
    const std::uint32_t capacity = grownCapacity(size);
    std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[capacity]);
    std::memcpy(grown.get(), storage_.get(), size_);
    storage_ = std::move(grown);
    capacity_ = capacity;
    size_ = size;
}

} // namespace TAVO
