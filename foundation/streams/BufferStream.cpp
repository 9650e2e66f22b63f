#include "foundation/streams/BufferStream.h"

#include <algorithm>
#include <cstring>

#include "foundation/exceptions/BoundException.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/DynamicBuffer.h"

namespace TAVO {

void BufferStream::read(void* destination, std::uint64_t count) {
    ConstBufferStream::readFrom(buffer_, position_, destination, count);
}

bool BufferStream::atEnd() { return position_ >= buffer_.size(); }

void BufferStream::write(const void* source, std::uint64_t count) {
    const std::uint64_t end = std::uint64_t(position_) + count;
    if (end > 0xFFFFFFFFull)
        throw BoundException<unsigned long long>(SourceLocation(), end, 0xFFFFFFFFull);
    if (count == 0)
        return;
    if (end > buffer_.size())
        buffer_.resize(std::uint32_t(end));
    std::memcpy(buffer_.data(position_), source, count);
    position_ = std::uint32_t(end);
}

void BufferStream::seek(std::uint64_t position) {
    position_ = std::uint32_t(std::min<std::uint64_t>(position, buffer_.size()));
}

std::uint64_t BufferStream::size() { return buffer_.size(); }

} // namespace TAVO
