#pragma once

#include "foundation/streams/Buffer.h"

namespace TAVO {

// Borrowed constant bytes (for example the program's built-in resource image).
// Every mutable access throws AccessException.
class BorrowConstBuffer : public Buffer {
public:
    BorrowConstBuffer(const void* bytes, std::uint32_t size)
        : Buffer(size), bytes_(static_cast<const std::uint8_t*>(bytes)) {}

    using Buffer::data;
    const std::uint8_t* data() const override { return bytes_; }
    std::uint8_t* data() override;
    std::uint8_t* data(std::uint32_t offset) override;
    std::uint8_t* data(std::uint32_t offset, std::uint32_t length) override;

private:
    const std::uint8_t* bytes_;
};

} // namespace TAVO
