#pragma once

#include "foundation/serialization/Serialization.h"

namespace TAVO {

// Writes each field's bytes to a stream (not owned).
class Serializer : public Serialization {
public:
    explicit Serializer(WriteStream& stream) : stream_(stream) {}

    using Serialization::serialize;
    Serialization& serialize(std::string& value) override;
    Serialization& serialize(Buffer& value) override;
    Serialization& serialize(bool& value) override;
    Serialization& serialize(double& value) override { return put(&value, 8); }
    Serialization& serialize(float& value) override { return put(&value, 4); }
    Serialization& serialize(unsigned char& value) override { return put(&value, 1); }
    Serialization& serialize(signed char& value) override { return put(&value, 1); }
    Serialization& serialize(unsigned short& value) override { return put(&value, 2); }
    Serialization& serialize(short& value) override { return put(&value, 2); }
    Serialization& serialize(unsigned long long& value) override { return put(&value, 8); }
    Serialization& serialize(long long& value) override { return put(&value, 8); }
    Serialization& serialize(unsigned int& value) override { return put(&value, 4); }
    Serialization& serialize(int& value) override { return put(&value, 4); }

    bool reading() const override { return false; }

private:
    Serialization& put(const void* bytes, std::uint64_t count);

    WriteStream& stream_;
};

} // namespace TAVO
