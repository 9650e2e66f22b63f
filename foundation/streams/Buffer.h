#pragma once

#include <cstdint>

namespace TAVO {

// A run of bytes with bound-tested access. `size()` is the number of valid bytes.
class Buffer {
public:
    virtual ~Buffer() = default;

    virtual const std::uint8_t* data() const = 0;
    virtual std::uint8_t* data() = 0;

    // Untested access: the caller guarantees the offset.
    virtual const std::uint8_t* data(std::uint32_t offset) const { return data() + offset; }
    virtual std::uint8_t* data(std::uint32_t offset) { return data() + offset; }

    // Tested access: offset + length must not exceed size(), else BoundException<unsigned int>.
    virtual const std::uint8_t* data(std::uint32_t offset, std::uint32_t length) const;
    virtual std::uint8_t* data(std::uint32_t offset, std::uint32_t length);

    std::uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Equal sizes and equal bytes.
    bool operator==(const Buffer& other) const;

    // Throws BoundException<unsigned int>(offset + length, size) unless the range
    // [offset, offset + length) lies within size. Never overflows.
    static void checkRange(std::uint32_t offset, std::uint32_t length, std::uint32_t size);

protected:
    Buffer() = default;
    explicit Buffer(std::uint32_t size) : size_(size) {}
    Buffer(const Buffer&) = default;
    Buffer& operator=(const Buffer&) = default;

    std::uint32_t size_ = 0;
};

} // namespace TAVO
