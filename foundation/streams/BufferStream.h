#pragma once

#include "foundation/streams/RandomReadWriteStream.h"

namespace TAVO {

class DynamicBuffer;

// Reads and writes a growable buffer (not owned). Writing past the end grows it.
class BufferStream : public RandomReadWriteStream {
public:
    explicit BufferStream(DynamicBuffer& buffer) : buffer_(buffer) {}

    void read(void* destination, std::uint64_t count) override;
    bool atEnd() override;
    void write(const void* source, std::uint64_t count) override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return position_; }
    std::uint64_t size() override;

private:
    DynamicBuffer& buffer_;
    std::uint32_t position_ = 0;
};

} // namespace TAVO
