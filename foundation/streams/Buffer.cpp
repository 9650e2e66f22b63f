#include "foundation/streams/Buffer.h"

#include <algorithm>
#include <cstring>

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

void Buffer::checkRange(std::uint32_t offset, std::uint32_t length, std::uint32_t size) {
    if (length > size || offset > size - length) {
        const std::uint64_t end = std::uint64_t(offset) + length;
        throw BoundException<unsigned int>(SourceLocation(),
                                           unsigned(std::min<std::uint64_t>(end, 0xFFFFFFFFu)), size);
    }
}

const std::uint8_t* Buffer::data(std::uint32_t offset, std::uint32_t length) const {
    checkRange(offset, length, size_);
    return data(offset);
}

std::uint8_t* Buffer::data(std::uint32_t offset, std::uint32_t length) {
    checkRange(offset, length, size_);
    return data(offset);
}

bool Buffer::operator==(const Buffer& other) const {
    if (size_ != other.size_)
        return false;
    return size_ == 0 || std::memcmp(data(), other.data(), size_) == 0;
}

} // namespace TAVO
