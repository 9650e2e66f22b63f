#include "foundation/streams/ReadStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/RandomStream.h"
#include "foundation/streams/RingIndex.h"

namespace TAVO {

namespace {

// The terminator search shared by readUntil, readUntilIntoBuffer and skipUntil.
// `store` keeps the bytes read: store.fill(from, count) reads count bytes from
// the stream into positions [from, from + count), store.at(i) gives byte i.
// Each pass reads just enough to complete a terminator starting at the
// candidate, so no byte after the terminator is ever consumed. Returns the
// count of bytes read.
template <class Store>
std::uint64_t searchTerminator(Store& store, const std::uint8_t* terminator, std::uint32_t length,
                               std::uint64_t capacity) {
    std::uint64_t read = 0;
    std::uint64_t candidate = 0;
    std::uint32_t matched = 0;
    if (length == 0)
        return 0;
    while (matched < length && read < capacity) {
        const std::uint64_t wanted = std::min(candidate + length - read, capacity - read);
        if (wanted > 0) {
            store.fill(read, wanted);
            read += wanted;
        }
        while (matched < length && candidate + matched < read) {
            if (store.at(candidate + matched) == terminator[matched]) {
                ++matched;
            } else {
                ++candidate;
                matched = 0;
            }
        }
    }
    return read;
}

struct ArrayStore {
    ReadStream& stream;
    std::uint8_t* bytes;
    void fill(std::uint64_t from, std::uint64_t count) { stream.read(bytes + from, count); }
    std::uint8_t at(std::uint64_t i) const { return bytes[i]; }
};

struct BufferStore {
    ReadStream& stream;
    DynamicBuffer& buffer;
    void fill(std::uint64_t from, std::uint64_t count) {
        buffer.resize(std::uint32_t(from + count));
        stream.read(buffer.data(std::uint32_t(from)), count);
    }
    std::uint8_t at(std::uint64_t i) const { return *buffer.data(std::uint32_t(i)); }
};

// Keeps only the last `ring.size()` bytes: a candidate is never further back
// than the terminator's length.
struct RingStore {
    ReadStream& stream;
    std::vector<std::uint8_t>& ring;
    void fill(std::uint64_t from, std::uint64_t count) {
        const std::uint32_t n = std::uint32_t(ring.size());
        while (count > 0) {
            std::uint32_t piece = std::uint32_t(std::min<std::uint64_t>(count, n));
            const std::uint32_t index = RingIndex::of(from, piece, n);
            stream.read(ring.data() + index, piece);
            from += piece;
            count -= piece;
        }
    }
    std::uint8_t at(std::uint64_t i) const { return ring[i % ring.size()]; }
};

} // namespace

void ReadStream::skip(std::uint64_t count) {
    std::uint8_t byte;
    for (std::uint64_t i = 0; i < count; ++i)
        read(&byte, 1);
}

void ReadStream::skipUntil(const void* terminator, std::uint32_t length) {
    if (length == 0)
        return;
    std::vector<std::uint8_t> ring(length);
    RingStore store{*this, ring};
    searchTerminator(store, static_cast<const std::uint8_t*>(terminator), length,
                     std::numeric_limits<std::uint64_t>::max());
}

std::uint64_t ReadStream::readAtMost(void* destination, std::uint64_t count) {
    auto* bytes = static_cast<std::uint8_t*>(destination);
    std::uint64_t done = 0;
    while (done < count && !atEnd())
        read(bytes + done++, 1);
    return done;
}

std::uint64_t ReadStream::remaining() {
    auto* random = dynamic_cast<RandomStream*>(this);
    if (random != nullptr && random->seekable()) {
        const std::uint64_t size = random->size();
        const std::uint64_t here = random->tell();
        return here >= size ? 0 : size - here;
    }
    return std::numeric_limits<std::uint64_t>::max();
}

void ReadStream::Pieces::copyTo(std::uint8_t* destination) const {
    for (const std::vector<std::uint8_t>& part : parts) {
        if (!part.empty())
            std::memcpy(destination, part.data(), part.size());
        destination += part.size();
    }
}

ReadStream::Pieces ReadStream::readPieces(ReadStream& stream, std::uint64_t limit) {
    Pieces pieces;
    while (pieces.total < limit) {
        std::vector<std::uint8_t> part(std::min<std::uint64_t>(limit - pieces.total, piece));
        const std::uint64_t wanted = part.size();
        const std::uint64_t got = stream.readAtMost(part.data(), wanted);
        if (got == 0)
            break;
        pieces.total += got;
        // A short piece is the last: keep only what arrived.
        const bool ended = got < wanted;
        if (ended) {
            part.resize(got);
            part.shrink_to_fit();
        }
        pieces.parts.push_back(std::move(part));
        if (ended)
            break;
    }
    return pieces;
}

void ReadStream::readToEnd(ReadStream& stream, DynamicBuffer& buffer) {
    buffer.setSize(0);
    const std::uint64_t left = stream.remaining();
    if (left != std::numeric_limits<std::uint64_t>::max()) {
        // A stream that knows its size is read in one go.
        if (left > 0xFFFFFFFFu)
            throw BoundException<unsigned long long>(SourceLocation(), left, 0xFFFFFFFFull);
        stream.read(buffer.append(std::uint32_t(left)), left);
        return;
    }
    // One byte more than a buffer holds tells a stream that is too long.
    const Pieces pieces = readPieces(stream, 0x100000000ull);
    if (pieces.total > 0xFFFFFFFFu)
        throw BoundException<unsigned long long>(SourceLocation(), pieces.total, 0xFFFFFFFFull);
    buffer.setSize(std::uint32_t(pieces.total));
    pieces.copyTo(buffer.data());
}

std::uint32_t ReadStream::readUntil(ReadStream& stream, void* destination, std::uint32_t capacity,
                                    const void* terminator, std::uint32_t length) {
    ArrayStore store{stream, static_cast<std::uint8_t*>(destination)};
    return std::uint32_t(searchTerminator(store, static_cast<const std::uint8_t*>(terminator), length, capacity));
}

void ReadStream::readUntilIntoBuffer(ReadStream& stream, DynamicBuffer& buffer, const void* terminator,
                                     std::uint32_t length) {
    buffer.setSize(0);
    BufferStore store{stream, buffer};
    searchTerminator(store, static_cast<const std::uint8_t*>(terminator), length, 0xFFFFFFFFu);
}

} // namespace TAVO
