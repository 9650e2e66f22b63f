#include "foundation/streams/ConstBufferStream.h"

#include <algorithm>
#include <cstring>

#include "foundation/streams/Buffer.h"
#include "foundation/streams/StreamException.h"

namespace TAVO {

void ConstBufferStream::readFrom(const Buffer& buffer, std::uint32_t& position, void* destination,
                                 std::uint64_t count) {
    if (count > buffer.size() || position > buffer.size() - count)
        throw StreamException(SourceLocation(), "Attempted to read over end of buffer. ");
    if (count == 0)
        return;
    std::memcpy(destination, buffer.data(position), count);
    position += std::uint32_t(count);
}

void ConstBufferStream::read(void* destination, std::uint64_t count) {
    readFrom(buffer_, position_, destination, count);
}

bool ConstBufferStream::atEnd() { return position_ >= buffer_.size(); }

void ConstBufferStream::seek(std::uint64_t position) {
    position_ = std::uint32_t(std::min<std::uint64_t>(position, buffer_.size()));
}

std::uint64_t ConstBufferStream::size() { return buffer_.size(); }

} // namespace TAVO
