#pragma once

#include <cstdint>
#include <vector>

#include "imaging/DataExporter.h"

namespace TAVO::Migration {

class ImageLayout;

// Writes 1- and 3-channel images as raw NetPBM, rows top first: 1-bit grey as
// P4 (one byte per pixel in memory; 0 is black and becomes a set bit), other
// grey as P5 and colour as P6 with maxval 2^bits - 1. Samples above 8 bits
// take two bytes, written most significant first (little-endian samples are
// swapped).
class NetPBMExporter : public DataExporter {
public:
    void write(const Buffer& buffer, const Metadata& metadata) override;

    // The row writers, one buffer row each (row index in the buffer).
    static void writeBitmapRow(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout, std::uint32_t row);
    static void writeGrey8Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout, std::uint32_t row);
    static void writeGrey16Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout, std::uint32_t row,
                               bool bigEndian);
    static void writeColor8Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                               std::uint32_t row);
    static void writeColor16Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                std::uint32_t row, bool bigEndian);

    // One sample at a column, row and channel (through the channel order).
    static std::uint8_t readSample8(const Buffer& buffer, const ImageLayout& layout, std::uint32_t x, std::uint32_t y,
                                    std::uint32_t channel);
    // The sample's value; bigEndian tells the buffer's byte order.
    static std::uint16_t readSample16(const Buffer& buffer, const ImageLayout& layout, std::uint32_t x,
                                      std::uint32_t y, std::uint32_t channel, bool bigEndian);
};

} // namespace TAVO::Migration
