#pragma once

#include <cstdint>

#include "imaging/DataImporter.h"

namespace TAVO::Migration {

// Decodes a JPEG stream (Huffman-coded baseline, extended sequential and
// progressive frames with 8-bit samples, grey or YCbCr) into 8-bit grey or
// RGB pixels, bottom row first. Reads from the stream's position up to and
// including the end-of-image marker and leaves the stream just after it.
//
// In eighth-scale mode every 8 x 8 block becomes one pixel (of its DC
// coefficient), for quick small pictures.
//
// Malformed data throws FormatException ("jpeg"); frames and markers that are
// not decoded throw SupportException.
class JPEGImporter : public DataImporter {
public:
    JPEGImporter() = default;

    void import(DynamicBuffer& buffer, Metadata& metadata) override;
    void setEighthScale(bool eighthScale) { eighthScale_ = eighthScale ? 1 : 0; }
    bool eighthScale() const { return eighthScale_ != 0; }

private:
    std::uint8_t eighthScale_ = 0;
};

} // namespace TAVO::Migration
