#include "foundation/serialization/Deserializer.h"

#include <algorithm>
#include <string>

#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"

namespace TAVO {

Serialization& Deserializer::get(void* bytes, std::uint64_t count) {
    stream_.read(bytes, count);
    return *this;
}

std::uint32_t Deserializer::readLength() {
    unsigned int length = 0;
    serialize(length);
    const std::uint64_t left = stream_.remaining();
    if (length > left)
        throw StreamException(SourceLocation(), "Stored length " + std::to_string(length) + " exceeds the " +
                                                    std::to_string(left) + " bytes left in the stream. ");
    return length;
}

Serialization& Deserializer::serialize(std::string& value) {
    const std::uint32_t length = readLength();
    value.clear();
    while (value.size() < length) {
        const std::size_t done = value.size();
        const std::size_t step = std::min<std::size_t>(length - done, chunk);
        value.resize(done + step);
        stream_.read(value.data() + done, step);
    }
    return *this;
}

Serialization& Deserializer::serialize(Buffer& value) {
    const std::uint32_t length = readLength();
    auto* dynamic = dynamic_cast<DynamicBuffer*>(&value);
    if (dynamic == nullptr) {
        // A buffer of fixed size takes exactly its own size.
        if (length != value.size())
            throw StreamException(SourceLocation(), "Stored length " + std::to_string(length) +
                                                        " does not fit a buffer of " +
                                                        std::to_string(value.size()) + " bytes. ");
        return get(value.data(), length);
    }
    dynamic->setSize(0);
    while (dynamic->size() < length) {
        const std::uint32_t step = std::min<std::uint32_t>(length - dynamic->size(), chunk);
        stream_.read(dynamic->append(step), step);
    }
    return *this;
}

Serialization& Deserializer::serialize(bool& value) {
    unsigned char byte = 0;
    serialize(byte);
    value = byte != 0;
    return *this;
}

} // namespace TAVO
