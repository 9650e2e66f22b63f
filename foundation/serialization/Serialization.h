#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "foundation/serialization/Serializable.h"

namespace TAVO {

class Buffer;
class ReadStream;
class WriteStream;

// The stored form is the machine's memory order, which must be little-endian.
static_assert(std::endian::native == std::endian::little, "the stored format is little-endian");

// One visit of a record's fields, writing or reading. Every slot takes the field
// by reference and returns the serialization so that calls chain.
//
// Fixed-width types only: 8-bit, 16-bit, 32-bit (unsigned int, int) and 64-bit
// (unsigned long long, long long). `long` differs in width between platforms
// and has no slot; std::uint64_t is `unsigned long` here, so 64-bit fields are
// declared `unsigned long long`.
class Serialization {
public:
    virtual ~Serialization() = default;

    virtual Serialization& serialize(std::string& value) = 0;  // u32 byte count, then the bytes
    virtual Serialization& serialize(Buffer& value) = 0;       // u32 byte count, then the bytes
    virtual Serialization& serialize(bool& value) = 0;         // 0xFF or 0x00; any non-zero reads true
    virtual Serialization& serialize(double& value) = 0;
    virtual Serialization& serialize(float& value) = 0;
    virtual Serialization& serialize(unsigned char& value) = 0;
    virtual Serialization& serialize(signed char& value) = 0;
    virtual Serialization& serialize(unsigned short& value) = 0;
    virtual Serialization& serialize(short& value) = 0;
    virtual Serialization& serialize(unsigned long long& value) = 0;
    virtual Serialization& serialize(long long& value) = 0;
    virtual Serialization& serialize(unsigned int& value) = 0;
    virtual Serialization& serialize(int& value) = 0;

    Serialization& serialize(unsigned long& value) = delete;
    Serialization& serialize(long& value) = delete;

    // A nested record.
    Serialization& serialize(Serializable& object) {
        object.serialize(*this);
        return *this;
    }

    // True for a pass that reads into the fields.
    virtual bool reading() const = 0;

    // Writes the object to the stream. Writing leaves the object as it was.
    static void serialize(const Serializable& object, WriteStream& stream);
    // Reads the object from the stream.
    static void deserialize(ReadStream& stream, Serializable& object);
};

} // namespace TAVO
