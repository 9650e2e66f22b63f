#pragma once

#include <istream>

#include "foundation/streams/RandomReadStream.h"

namespace TAVO {

// A read stream over a standard input stream (not owned).
class CppInStream : public RandomReadStream {
public:
    // Throws StreamException "Wrapping bad input stream. " when the stream has failed.
    explicit CppInStream(std::istream& stream);

    void read(void* destination, std::uint64_t count) override;
    std::uint64_t readAtMost(void* destination, std::uint64_t count) override;
    bool atEnd() override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override;
    std::uint64_t size() override;
    // False over a pipe, a FIFO or a terminal.
    bool seekable() override { return seekable_; }

private:
    std::istream& stream_;
    bool seekable_;
};

} // namespace TAVO
