#pragma once

#include "foundation/serialization/Serialization.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"

namespace TAVO {

// Reads each field's bytes from a stream (not owned). A stored length never
// makes it allocate more than the data that can follow: where the stream knows
// its size the length is checked against the bytes left, otherwise the field's
// bytes are gathered in chunks as they arrive and the field is sized once they
// are all there. Short data ends in StreamException.
class Deserializer : public Serialization {
public:
    explicit Deserializer(ReadStream& stream) : stream_(stream) {}

    using Serialization::serialize;
    Serialization& serialize(std::string& value) override;
    Serialization& serialize(Buffer& value) override;
    Serialization& serialize(bool& value) override;
    Serialization& serialize(double& value) override { return get(&value, 8); }
    Serialization& serialize(float& value) override { return get(&value, 4); }
    Serialization& serialize(unsigned char& value) override { return get(&value, 1); }
    Serialization& serialize(signed char& value) override { return get(&value, 1); }
    Serialization& serialize(unsigned short& value) override { return get(&value, 2); }
    Serialization& serialize(short& value) override { return get(&value, 2); }
    Serialization& serialize(unsigned long long& value) override { return get(&value, 8); }
    Serialization& serialize(long long& value) override { return get(&value, 8); }
    Serialization& serialize(unsigned int& value) override { return get(&value, 4); }
    Serialization& serialize(int& value) override { return get(&value, 4); }

    bool reading() const override { return true; }

    // Reads a stored length and checks it against the bytes the stream has left.
    std::uint32_t readLength();

    // Bytes read per step when the stream does not know its size.
    static constexpr std::uint32_t chunk = ReadStream::piece;

private:
    Serialization& get(void* bytes, std::uint64_t count);
    std::uint32_t readLength(bool& sizeKnown);
    // Reads length bytes into a target with resize(n) and data().
    template <class Target>
    void fill(Target& target, std::uint32_t length, bool sizeKnown);
    static StreamException tooLong(std::uint32_t length, std::uint64_t left);

    ReadStream& stream_;
};

} // namespace TAVO
