#pragma once

#include <cstdint>

#include "foundation/streams/Stream.h"

namespace TAVO {

// A sink of bytes. A write takes every byte or throws.
class WriteStream : public virtual Stream {
public:
    virtual void write(const void* source, std::uint64_t count) = 0;
    virtual void flush() {}
};

} // namespace TAVO
