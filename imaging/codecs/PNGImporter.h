#pragma once

#include <cstdint>
#include <vector>

#include "foundation/streams/CRC32.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/DataImporter.h"
#include "imaging/codecs/IHDR.h"
#include "imaging/codecs/Inflater.h"

namespace TAVO {
class ReadStream;
}

namespace TAVO::Migration {

// Reads non-interlaced PNG files of every colour type and bit depth into
// 8-bit samples (16-bit samples keep the file's most significant byte first,
// and the metadata says so), rows bottom first. Palette images become RGB;
// grey samples of 1, 2 and 4 bits are scaled to 0-255. Malformed data raises
// FormatException "png" (or "deflate" inside the image data).
class PNGImporter : public DataImporter {
public:
    PNGImporter();

    // Reads 8 bytes and tells whether they are the PNG signature.
    static bool recognize(ReadStream& stream);

    void import(DynamicBuffer& buffer, Metadata& metadata) override;

    // Longest chunk the format allows.
    static constexpr std::uint32_t maximumChunkLength = 0x7FFFFFFFu;

private:
    // Reads a chunk's data into `data` (or only checks it when data is null)
    // in bounded pieces, and its CRC.
    void readChunk(ReadStream& stream, const std::uint8_t type[4], std::uint32_t length, DynamicBuffer* data);
    void checkHeader();
    void finish(DynamicBuffer& buffer, Metadata& metadata);

    PNG::Inflater inflater_;
    CRC32 crc_;
    PNG::IHDR header_;
    bool haveHeader_ = false;
    std::vector<std::uint8_t> palette_;
    IncrementalBuffer imageData_;
    IncrementalBuffer chunk_;
    IncrementalBuffer inflated_;
};

} // namespace TAVO::Migration
