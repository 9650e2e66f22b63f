#pragma once

#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration::PNG {

// The Adler-32 sum that closes a zlib stream; big-endian in the stream, so
// serialise it through a byte-swapping serialization.
class ZlibChecksum : public Serializable {
public:
    ZlibChecksum() = default;
    explicit ZlibChecksum(unsigned int adler) : adler(adler) {}

    void serialize(Serialization& serialization) override;

    unsigned int adler = 0;
};

} // namespace TAVO::Migration::PNG
