#pragma once

#include "foundation/serialization/Serialization.h"

namespace TAVO {

// Wraps another serialization (not owned) to write or read big-endian fields:
// each 2-, 4- and 8-byte value is reversed, handed on, and reversed again, so
// it works in both directions. Strings, buffers (and their length prefixes),
// bools and single bytes pass through unchanged.
class SwapEndianess : public Serialization {
public:
    explicit SwapEndianess(Serialization& wrapped) : wrapped_(wrapped) {}

    using Serialization::serialize;
    Serialization& serialize(std::string& value) override { wrapped_.serialize(value); return *this; }
    Serialization& serialize(Buffer& value) override { wrapped_.serialize(value); return *this; }
    Serialization& serialize(bool& value) override { wrapped_.serialize(value); return *this; }
    Serialization& serialize(unsigned char& value) override { wrapped_.serialize(value); return *this; }
    Serialization& serialize(signed char& value) override { wrapped_.serialize(value); return *this; }
    Serialization& serialize(double& value) override { return swapped(value); }
    Serialization& serialize(float& value) override { return swapped(value); }
    Serialization& serialize(unsigned short& value) override { return swapped(value); }
    Serialization& serialize(short& value) override { return swapped(value); }
    Serialization& serialize(unsigned long long& value) override { return swapped(value); }
    Serialization& serialize(long long& value) override { return swapped(value); }
    Serialization& serialize(unsigned int& value) override { return swapped(value); }
    Serialization& serialize(int& value) override { return swapped(value); }

    bool reading() const override { return wrapped_.reading(); }

private:
    template <class T>
    Serialization& swapped(T& value) {
        reverse(&value, sizeof(T));
        wrapped_.serialize(value);
        reverse(&value, sizeof(T));
        return *this;
    }
    static void reverse(void* bytes, unsigned count);

    Serialization& wrapped_;
};

} // namespace TAVO
