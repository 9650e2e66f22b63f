#pragma once

#include <cstdint>

#include "foundation/streams/Stream.h"

namespace TAVO {

// A stream with a position.
class RandomStream : public virtual Stream {
public:
    // Where seek(offset, origin) counts from.
    enum Origin : std::uint32_t {
        Begin = 0,           // to the offset
        BackFromEnd = 1,     // to size - offset, at least 0
        Forward = 2,         // to tell + offset, at most size
        BackFromCurrent = 3, // to tell - offset, at least 0
    };

    virtual void seek(std::uint64_t position) = 0;
    virtual std::uint64_t tell() = 0;
    virtual std::uint64_t size() = 0;
    // False where the position cannot be known (a pipe, a terminal): seek,
    // tell and size then throw, and readers treat the stream as one of
    // unknown size.
    virtual bool seekable() { return true; }

    // Seek by origin; an unknown origin does nothing.
    void seek(std::uint64_t offset, std::uint32_t origin);
};


} // namespace TAVO
