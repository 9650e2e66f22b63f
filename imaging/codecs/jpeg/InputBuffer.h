#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/streams/ReadStream.h"

namespace TAVO {
class RandomStream;
}

namespace TAVO::Migration::JPEG {

// Reads a JPEG stream (not owned) ahead in chunks, so that the entropy-coded
// data can be taken byte by byte without a call per byte. When the source can
// seek, `release` gives back what was read ahead, leaving the source just
// after the last byte taken; a source that cannot seek is read one byte at a
// time and never read ahead.
class InputBuffer : public ReadStream {
public:
    explicit InputBuffer(ReadStream& source);

    void read(void* destination, std::uint64_t count) override;
    bool atEnd() override { return position_ == end_ && !refill(1); }

    // Makes at least `count` bytes (at most `chunk`) available at current();
    // false when the source ends first.
    bool ensure(std::uint32_t count) { return end_ - position_ >= count || refill(count); }
    std::size_t available() const { return end_ - position_; }
    const std::uint8_t* current() const { return storage_.data() + position_; }
    void advance(std::size_t count) { position_ += count; }

    // Seeks a seekable source back over the bytes read ahead.
    void release();

    static constexpr std::uint32_t chunk = 65536;

private:
    bool refill(std::uint32_t count);

    ReadStream& source_;
    RandomStream* random_;
    std::vector<std::uint8_t> storage_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
};

} // namespace TAVO::Migration::JPEG
