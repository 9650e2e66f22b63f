#pragma once

#include <cstdint>
#include <vector>

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
    // Reads count bytes, or fewer where the stream ends first; returns the
    // count read. Byte by byte unless a stream knows better.
    virtual std::uint64_t readAtMost(void* destination, std::uint64_t count);

    // The bytes left when the stream knows its size (it is also a seekable
    // RandomStream), else the largest count. Readers of stored lengths bound
    // their allocations by it.
    std::uint64_t remaining();

    // Bytes of a stream that cannot tell its size, held in pieces of at most
    // `piece` bytes as they arrived: nothing larger than one piece is
    // allocated before the data is there.
    struct Pieces {
        std::vector<std::vector<std::uint8_t>> parts;
        std::uint64_t total = 0;
        void copyTo(std::uint8_t* destination) const;
    };
    static constexpr std::uint32_t piece = 65536;
    // Reads up to `limit` bytes, fewer only where the stream ends.
    static Pieces readPieces(ReadStream& stream, std::uint64_t limit);

    // Replaces the buffer's content with every remaining byte. Where the
    // stream cannot tell its size, the bytes are gathered in pieces and the
    // buffer is sized once at the end.
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
