#include "foundation/serialization/Serializer.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/WriteStream.h"

namespace TAVO {

Serialization& Serializer::put(const void* bytes, std::uint64_t count) {
    stream_.write(bytes, count);
    return *this;
}

Serialization& Serializer::serialize(std::string& value) {
    // A string of 4 GiB or more has no stored form.
    if (value.size() > 0xFFFFFFFFu)
        throw BoundException<unsigned long long>(SourceLocation(), value.size(), 0xFFFFFFFFull);
    unsigned int length = unsigned(value.size());
    serialize(length);
    return put(value.data(), length);
}

Serialization& Serializer::serialize(Buffer& value) {
    unsigned int length = value.size();
    serialize(length);
    return put(static_cast<const Buffer&>(value).data(), length);
}

Serialization& Serializer::serialize(bool& value) {
    unsigned char byte = value ? 0xFF : 0x00;
    return serialize(byte);
}

} // namespace TAVO
