#include "foundation/streams/DynamicBuffer.h"

#include <cstring>

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

void DynamicBuffer::assign(const Buffer& other) {
    if (&other == this)
        return;
    assign(other.data(), other.size());
}

void DynamicBuffer::assign(const void* bytes, std::uint32_t count) {
    setSize(count);
    if (count != 0)
        std::memcpy(data(), bytes, count);
}

std::uint8_t* DynamicBuffer::append(std::uint32_t count) {
    const std::uint32_t old = size();
    if (count > 0xFFFFFFFFu - old)
        throw BoundException<unsigned long long>(SourceLocation(), std::uint64_t(old) + count, 0xFFFFFFFFull);
    resize(old + count);
    return data(old);
}

void DynamicBuffer::append(const Buffer& other) {
    if (&other == this) {
        const std::uint32_t old = size();
        std::uint8_t* target = append(old);
        std::memcpy(target, data(), old);
        return;
    }
    append(other.data(), other.size());
}

void DynamicBuffer::append(const void* bytes, std::uint32_t count) {
    std::uint8_t* target = append(count);
    if (count != 0)
        std::memcpy(target, bytes, count);
}

DynamicBuffer& DynamicBuffer::operator=(const Buffer& other) {
    assign(other);
    return *this;
}

} // namespace TAVO
