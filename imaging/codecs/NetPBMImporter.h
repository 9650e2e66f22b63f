#pragma once

#include <cstdint>
#include <string>

#include "imaging/DataImporterSeparate.h"
#include "imaging/ImageMetadata.h"

namespace TAVO {
class ReadStream;
}

namespace TAVO::Migration {

// Reads the raw NetPBM forms P4 (bitmap), P5 (grey) and P6 (colour), rows
// bottom first. A bitmap is delivered as 8-bit grey (a set bit, black, as 0
// and a clear bit as 255). Samples are scaled from the file's maxval to the
// full range of their 8 or 16 bits; 16-bit samples are most significant
// byte first, and the metadata says so. Comments may stand wherever
// whitespace may.
class NetPBMImporter : public DataImporterSeparate {
public:
    NetPBMImporter() = default;

    void import(DynamicBuffer& buffer, Metadata& metadata) override;
    void importMeta(Metadata& metadata) override;
    void importData(Buffer& buffer) override;

    // Longest header token read.
    static constexpr std::size_t maximumTokenLength = 32;

private:
    std::string readToken(ReadStream& stream);
    void readHeader();
    void readSamples(Buffer& buffer);

    ImageMetadata metadata_;
    std::uint8_t ready_ = 0;
    bool bitmap_ = false;
    std::uint32_t maxval_ = 0;
};

} // namespace TAVO::Migration
