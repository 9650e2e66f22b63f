#pragma once

#include "imaging/codecs/NativeMetaImporter.h"

namespace TAVO::Migration {

// Reads an image of the native raw format: the metadata text, a zero byte,
// the data length (u32, little-endian) and the pixel bytes as they lie in memory.
class NativeImporter : public NativeMetaImporter {
public:
    // Reads the metadata, then the data. The data length must be the byte
    // count of the metadata's layout for an image the model holds, and the
    // stream must still hold it; both are checked before the buffer grows.
    void import(DynamicBuffer& buffer, Metadata& metadata) override;
    // After importMeta: reads the data into the buffer, whose size must equal
    // the stored length (else UnexpectedValueException: length, buffer size).
    void importData(Buffer& buffer) override;

private:
    // Reads the u32 little-endian data length.
    std::uint32_t readLength();
};

} // namespace TAVO::Migration
