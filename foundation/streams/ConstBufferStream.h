#pragma once

#include "foundation/streams/RandomReadStream.h"

namespace TAVO {

class Buffer;

// Reads a constant buffer (not owned).
class ConstBufferStream : public RandomReadStream {
public:
    explicit ConstBufferStream(const Buffer& buffer) : buffer_(buffer) {}

    void read(void* destination, std::uint64_t count) override;
    bool atEnd() override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return position_; }
    std::uint64_t size() override;

    // Reads `count` bytes at the current position from `buffer`, advancing `position`.
    static void readFrom(const Buffer& buffer, std::uint32_t& position, void* destination, std::uint64_t count);

private:
    const Buffer& buffer_;
    std::uint32_t position_ = 0;
};

} // namespace TAVO
