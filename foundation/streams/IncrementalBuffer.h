#pragma once

#include <memory>

#include "foundation/streams/DynamicBuffer.h"

namespace TAVO {

// The general growable buffer. Its capacity doubles as it grows and is never
// given back, so a reused scratch buffer stops allocating at its largest size.
class IncrementalBuffer : public DynamicBuffer {
public:
    explicit IncrementalBuffer(std::uint32_t initialCapacity = 0, std::uint32_t size = 0);
    IncrementalBuffer(const IncrementalBuffer& other);
    IncrementalBuffer(IncrementalBuffer&& other) noexcept;
    IncrementalBuffer& operator=(const IncrementalBuffer& other);
    IncrementalBuffer& operator=(IncrementalBuffer&& other) noexcept;
    using DynamicBuffer::operator=;

    using Buffer::data;
    const std::uint8_t* data() const override { return storage_.get(); }
    std::uint8_t* data() override { return storage_.get(); }

    void setSize(std::uint32_t size) override;
    void resize(std::uint32_t size) override;

    std::uint32_t capacity() const { return capacity_; }

private:
    // The larger of twice the capacity and `needed`, within 32 bits.
    std::uint32_t grownCapacity(std::uint32_t needed) const;

    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint32_t capacity_ = 0;
};

} // namespace TAVO
