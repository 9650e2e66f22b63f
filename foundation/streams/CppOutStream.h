#pragma once

#include <ostream>

#include "foundation/streams/RandomWriteStream.h"

namespace TAVO {

// A write stream over a standard output stream (not owned).
class CppOutStream : public RandomWriteStream {
public:
    // Throws StreamException "Wrapping bad output stream. " when the stream has failed.
    explicit CppOutStream(std::ostream& stream);

    void write(const void* source, std::uint64_t count) override;
    void flush() override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override;
    std::uint64_t size() override;

private:
    std::ostream& stream_;
};

} // namespace TAVO
