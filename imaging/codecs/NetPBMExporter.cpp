#include "imaging/codecs/NetPBMExporter.h"

#include <string>
#include <vector>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/WriteStream.h"
#include "imaging/FormatException.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"

namespace TAVO::Migration {

namespace {

[[noreturn]] void fail(const char* message) { throw FormatException(SourceLocation(), "NetPBM", message); }

const std::uint8_t* pixelAt(const Buffer& buffer, const ImageLayout& layout, std::uint32_t x, std::uint32_t y) {
    return buffer.data() + std::uint64_t(y) * layout.bytesPerRow() + std::uint64_t(x) * layout.bytesPerPixel();
}

void writeRow(WriteStream& stream, std::vector<std::uint8_t>& row) { stream.write(row.data(), row.size()); }

// True when a row of the buffer holds exactly the file's bytes: 8-bit samples
// of `channels` channels packed in their own order.
bool packedInOrder(const ImageLayout& layout, std::uint32_t channels) {
    if (layout.bytesPerPixel() != channels)
        return false;
    for (std::uint32_t c = 0; c < channels; ++c)
        if (layout.channelOrder()[c] != c)
            return false;
    return true;
}

// Writes the buffer's row as it stands.
void writeBufferRow(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout, std::uint32_t row,
                    std::uint32_t channels) {
    stream.write(buffer.data() + std::uint64_t(row) * layout.bytesPerRow(), std::uint64_t(layout.width()) * channels);
}

} // namespace

std::uint8_t NetPBMExporter::readSample8(const Buffer& buffer, const ImageLayout& layout, std::uint32_t x,
                                         std::uint32_t y, std::uint32_t channel) {
    return pixelAt(buffer, layout, x, y)[layout.channelOrder()[channel]];
}

std::uint16_t NetPBMExporter::readSample16(const Buffer& buffer, const ImageLayout& layout, std::uint32_t x,
                                           std::uint32_t y, std::uint32_t channel, bool bigEndian) {
    const std::uint8_t* place = pixelAt(buffer, layout, x, y) + layout.channelOrder()[channel] * 2;
    return bigEndian ? std::uint16_t((place[0] << 8) | place[1]) : std::uint16_t((place[1] << 8) | place[0]);
}

void NetPBMExporter::writeBitmapRow(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                    std::uint32_t row) {
    std::vector<std::uint8_t> bytes((layout.width() + 7) / 8, 0);
    for (std::uint32_t x = 0; x < layout.width(); ++x)
        if (readSample8(buffer, layout, x, row, 0) == 0)
            bytes[x / 8] |= std::uint8_t(0x80u >> (x % 8));
    writeRow(stream, bytes);
}

void NetPBMExporter::writeGrey8Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                   std::uint32_t row) {
    if (packedInOrder(layout, 1)) {
        writeBufferRow(stream, buffer, layout, row, 1);
        return;
    }
    std::vector<std::uint8_t> bytes(layout.width());
    for (std::uint32_t x = 0; x < layout.width(); ++x)
        bytes[x] = readSample8(buffer, layout, x, row, 0);
    writeRow(stream, bytes);
}

void NetPBMExporter::writeGrey16Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                    std::uint32_t row, bool bigEndian) {
    std::vector<std::uint8_t> bytes(std::size_t(layout.width()) * 2);
    for (std::uint32_t x = 0; x < layout.width(); ++x) {
        std::uint16_t v = readSample16(buffer, layout, x, row, 0, bigEndian);
        bytes[2 * x] = std::uint8_t(v >> 8);
        bytes[2 * x + 1] = std::uint8_t(v);
    }
    writeRow(stream, bytes);
}

void NetPBMExporter::writeColor8Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                    std::uint32_t row) {
    if (packedInOrder(layout, 3)) {
        writeBufferRow(stream, buffer, layout, row, 3);
        return;
    }
    std::vector<std::uint8_t> bytes(std::size_t(layout.width()) * 3);
    for (std::uint32_t x = 0; x < layout.width(); ++x)
        for (std::uint32_t c = 0; c < 3; ++c)
            bytes[3 * x + c] = readSample8(buffer, layout, x, row, c);
    writeRow(stream, bytes);
}

void NetPBMExporter::writeColor16Row(WriteStream& stream, const Buffer& buffer, const ImageLayout& layout,
                                     std::uint32_t row, bool bigEndian) {
    std::vector<std::uint8_t> bytes(std::size_t(layout.width()) * 6);
    for (std::uint32_t x = 0; x < layout.width(); ++x)
        for (std::uint32_t c = 0; c < 3; ++c) {
            std::uint16_t v = readSample16(buffer, layout, x, row, c, bigEndian);
            bytes[6 * x + 2 * c] = std::uint8_t(v >> 8);
            bytes[6 * x + 2 * c + 1] = std::uint8_t(v);
        }
    writeRow(stream, bytes);
}

void NetPBMExporter::write(const Buffer& buffer, const Metadata& metadata) {
    WriteStream& stream = outputStream();
    ImageMetadata image(metadata);
    const std::uint32_t bits = image.type().bits();
    if (bits > 16)
        fail("NetPBM does not allow more than 16 bits per pixel component. ");
    if (bits == 0)
        fail("NetPBM needs at least 1 bit per pixel component. ");
    const std::uint32_t channels = image.channels();
    if (channels != 1 && channels != 3)
        throw SupportException(SourceLocation(), "NetPBM PAM");
    ImageMetadata::checkSize(image.width(), image.height(), channels);

    const bool bitmap = channels == 1 && bits == 1;
    if (bitmap) {
        // A bitmap keeps one byte per pixel in memory.
        image.setType(Value(8, image.type().kind(), 0));
        image.setPixelAlignment(0);
    }
    const ImageLayout layout(image);
    const std::uint32_t sampleBytes = bits > 8 ? 2 : 1;
    if (layout.bytesPerPixel() < channels * sampleBytes)
        fail("Samples do not fill whole bytes of the pixel layout. ");
    if (layout.byteCount() > buffer.size())
        throw SpaceException<unsigned long long>(SourceLocation(), layout.byteCount(), buffer.size());

    const unsigned int form = bitmap ? 4 : channels == 1 ? 5 : 6;
    std::string header = "P" + std::to_string(form) + "\n" + std::to_string(image.width()) + "\n" +
                         std::to_string(image.height()) + "\n";
    if (!bitmap)
        header += std::to_string((1u << bits) - 1) + "\n";
    stream.write(header.data(), header.size());

    const bool bigEndian = image.type().bigEndian() != 0;
    for (std::uint32_t r = image.height(); r-- > 0;) {
        if (bitmap)
            writeBitmapRow(stream, buffer, layout, r);
        else if (channels == 1 && sampleBytes == 1)
            writeGrey8Row(stream, buffer, layout, r);
        else if (channels == 1)
            writeGrey16Row(stream, buffer, layout, r, bigEndian);
        else if (sampleBytes == 1)
            writeColor8Row(stream, buffer, layout, r);
        else
            writeColor16Row(stream, buffer, layout, r, bigEndian);
    }
}

} // namespace TAVO::Migration
