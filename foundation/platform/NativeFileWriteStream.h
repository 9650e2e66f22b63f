#pragma once

#include "foundation/streams/RandomWriteStream.h"

namespace TAVO {

class NativeFile;

// A write view of an open file (not owned) with a position of its own. A flush
// makes everything written durable.
class NativeFileWriteStream : public RandomWriteStream {
public:
    explicit NativeFileWriteStream(NativeFile& file) : file_(file) {}

    void write(const void* source, std::uint64_t count) override;
    void flush() override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override { position_ = position; }
    std::uint64_t tell() override { return position_; }
    std::uint64_t size() override;

private:
    NativeFile& file_;
    std::uint64_t position_ = 0;
};

} // namespace TAVO
