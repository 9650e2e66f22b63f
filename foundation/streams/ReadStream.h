#pragma once

#include <cstdint>

#include "foundation/streams/Stream.h"

namespace TAVO {

class DynamicBuffer;

// A source of bytes. A read delivers every requested byte or throws.
class ReadStream : public virtual Stream {
public:
    virtual void read(void* destination, std::uint64_t count) = 0;
    // Reads and drops count bytes.
    virtual void skip(std::uint64_t count);
    // Reads until the terminator has been read; nothing after it is consumed.
    virtual void skipUntil(const void* terminator, std::uint32_t length);
    // True when no byte is left.
    virtual bool atEnd() = 0;

    // The bytes left when the stream knows its size (it is also a RandomStream),
    // else the largest count. Readers of stored lengths bound their allocations by it.
    std::uint64_t remaining();

    // Replaces the buffer's content with every remaining byte.
    static void readToEnd(ReadStream& stream, DynamicBuffer& buffer);
    // Reads until the terminator has been read or `capacity` bytes have been read;
    // returns the count read, the terminator included.
    static std::uint32_t readUntil(ReadStream& stream, void* destination, std::uint32_t capacity,
                                   const void* terminator, std::uint32_t length);
    // The same without a capacity: the buffer ends holding every byte read.
    static void readUntilIntoBuffer(ReadStream& stream, DynamicBuffer& buffer,
                                    const void* terminator, std::uint32_t length);
};

} // namespace TAVO
