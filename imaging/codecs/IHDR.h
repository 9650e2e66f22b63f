#pragma once

#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration::PNG {

// The PNG header chunk's 13 bytes. Big-endian in the file: serialise it
// through a byte-swapping serialization.
class IHDR : public Serializable {
public:
    void serialize(Serialization& serialization) override;

    unsigned int width = 0;
    unsigned int height = 0;
    unsigned char bitDepth = 0;
    unsigned char colorType = 0;
    unsigned char compressionMethod = 0;
    unsigned char filterMethod = 0;
    unsigned char interlaceMethod = 0;
};

} // namespace TAVO::Migration::PNG
