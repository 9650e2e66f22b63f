#include "foundation/serialization/Deserializer.h"

#include <algorithm>
#include <limits>
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
    bool sizeKnown = false;
    return readLength(sizeKnown);
}

std::uint32_t Deserializer::readLength(bool& sizeKnown) {
    unsigned int length = 0;
    serialize(length);
    const std::uint64_t left = stream_.remaining();
    sizeKnown = left != std::numeric_limits<std::uint64_t>::max();
    if (length > left)
        throw tooLong(length, left);
    return length;
}

StreamException Deserializer::tooLong(std::uint32_t length, std::uint64_t left) {
    return StreamException(SourceLocation(), "Stored length " + std::to_string(length) + " exceeds the " +
                                                 std::to_string(left) + " bytes left in the stream. ");
}

template <class Target>
void Deserializer::fill(Target& target, std::uint32_t length, bool sizeKnown) {
    if (sizeKnown) {
        // The length was checked against the bytes left.
        target.resize(length);
        if (length > 0)
            stream_.read(target.data(), length);
        return;
    }
    // The stream cannot tell its size: gather what arrives and size the
    // target once, so that a false length allocates nothing beyond the data.
    const ReadStream::Pieces pieces = ReadStream::readPieces(stream_, length);
    if (pieces.total < length)
        throw tooLong(length, pieces.total);
    target.resize(length);
    pieces.copyTo(reinterpret_cast<std::uint8_t*>(target.data()));
}

Serialization& Deserializer::serialize(std::string& value) {
    bool sizeKnown = false;
    const std::uint32_t length = readLength(sizeKnown);
    // A fresh string is allocated at exactly its length.
    std::string result;
    fill(result, length, sizeKnown);
    value = std::move(result);
    return *this;
}

namespace {

// The resize and data a fill needs, over a growable buffer.
struct BufferTarget {
    DynamicBuffer& buffer;
    void resize(std::uint32_t size) { buffer.setSize(size); }
    std::uint8_t* data() { return buffer.data(); }
};

} // namespace

Serialization& Deserializer::serialize(Buffer& value) {
    bool sizeKnown = false;
    const std::uint32_t length = readLength(sizeKnown);
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
    BufferTarget target{*dynamic};
    fill(target, length, sizeKnown);
    return *this;
}

Serialization& Deserializer::serialize(bool& value) {
    unsigned char byte = 0;
    serialize(byte);
    value = byte != 0;
    return *this;
}

} // namespace TAVO
