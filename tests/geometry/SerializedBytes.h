#pragma once

#include <cstdio>
#include <string>

#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "support/Command.h"

namespace GeometryTest {

// The bytes of an object's serialised form, as lower-case hexadecimal.
inline std::string hexOf(const TAVO::Buffer& buffer) {
    std::string text;
    char digits[3];
    for (std::uint32_t i = 0; i < buffer.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", *buffer.data(i));
        text += digits;
    }
    return text;
}

inline TAVO::IncrementalBuffer serialized(const TAVO::Serializable& object) {
    TAVO::IncrementalBuffer buffer;
    TAVO::BufferStream stream(buffer);
    TAVO::Serialization::serialize(object, stream);
    return buffer;
}

inline std::string hexOf(const TAVO::Serializable& object) { return hexOf(serialized(object)); }

inline void deserialize(const TAVO::Buffer& buffer, TAVO::Serializable& object) {
    TAVO::ConstBufferStream stream(buffer);
    TAVO::Serialization::deserialize(stream, object);
}

// struct.pack(format, values...) in Python, as hexadecimal.
inline std::string packed(const std::string& format, const std::string& values) {
    return KestruneTest::Command::python("import struct\nprint(struct.pack('" + format + "', " + values +
                                         ").hex(), end='')\n")
        .output;
}

} // namespace GeometryTest
