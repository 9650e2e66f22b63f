#pragma once

#include "foundation/streams/WriteStream.h"

namespace TAVO {

// Drops every byte.
class NullWriteStream : public WriteStream {
public:
    void write(const void*, std::uint64_t) override {}
};

} // namespace TAVO
