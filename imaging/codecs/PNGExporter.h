#pragma once

#include <cstdint>

#include "imaging/DataExporter.h"

namespace TAVO::Migration {

// Writes grey (1, 2, 4, 8 or 16 bits), RGB and RGBA (8 or 16 bits) images as
// PNG with stored deflate blocks and no chunks besides IHDR, IDAT and IEND.
// The buffer holds the rows bottom first; rows of samples below 8 bits are
// packed, most significant bits first, each row rounded up to whole bytes.
// 16-bit samples are written most significant byte first: little-endian
// samples are swapped.
class PNGExporter : public DataExporter {
public:
    void write(const Buffer& buffer, const Metadata& metadata) override;

private:
    static void writeChunk(WriteStream& stream, const char* type, const std::uint8_t* data, std::uint32_t length);
};

} // namespace TAVO::Migration
