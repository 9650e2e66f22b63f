#include "imaging/codecs/PNGExporter.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/CRC32.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/WriteStream.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/IHDR.h"
#include "imaging/codecs/ZlibStream.h"

namespace TAVO::Migration {

namespace {

const std::uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

void putBigEndian32(std::uint8_t* p, std::uint32_t value) {
    p[0] = std::uint8_t(value >> 24);
    p[1] = std::uint8_t(value >> 16);
    p[2] = std::uint8_t(value >> 8);
    p[3] = std::uint8_t(value);
}

} // namespace

void PNGExporter::writeChunk(WriteStream& stream, const char* type, const std::uint8_t* data, std::uint32_t length) {
    std::uint8_t head[8];
    putBigEndian32(head, length);
    std::memcpy(head + 4, type, 4);
    CRC32 crc;
    crc.reset(0xFFFFFFFFu);
    crc.update(head + 4, 4);
    crc.update(data, length);
    stream.write(head, 8);
    if (length)
        stream.write(data, length);
    std::uint8_t tail[4];
    putBigEndian32(tail, ~crc.value());
    stream.write(tail, 4);
}

void PNGExporter::write(const Buffer& buffer, const Metadata& metadata) {
    WriteStream& stream = outputStream();
    const ImageMetadata image(metadata);
    if (image.lineAlignment() != 0)
        throw SupportException(SourceLocation(), "non-zero image line alignment");
    if (image.pixelAlignment() != 0)
        throw SupportException(SourceLocation(), "non-zero image pixel alignment");
    const std::uint32_t channels = image.channels();
    auto channelText = [&](const char* word) {
        return std::string(word) + " with " + std::to_string(channels) + " channels";
    };
    PNG::IHDR header;
    if (image.format() == ImageMetadata::Format::Intensity) {
        if (channels != 1)
            throw SupportException(SourceLocation(), channelText("INTENSITY"));
        header.colorType = 0;
    } else if (image.format() == ImageMetadata::Format::RGBA) {
        if (channels == 3)
            header.colorType = 2;
        else if (channels == 4)
            header.colorType = 6;
        else
            throw SupportException(SourceLocation(), channelText("RGBA"));
    } else {
        throw SupportException(SourceLocation(), image.format().toString());
    }
    const std::uint32_t bits = image.type().bits();
    const bool allowed = header.colorType == 0 ? (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16)
                                               : (bits == 8 || bits == 16);
    if (!allowed)
        throw SupportException(SourceLocation(), "combination of bith depth and color type");
    ImageMetadata::checkSize(image.width(), image.height(), channels);
    header.width = image.width();
    header.height = image.height();
    header.bitDepth = std::uint8_t(bits);

    // Whole rows: a row of samples below 8 bits is rounded up to a byte.
    const std::uint64_t rowBytes = (std::uint64_t(image.width()) * channels * bits + 7) / 8;
    const std::uint64_t needed = rowBytes * image.height();
    if (needed > buffer.size())
        throw SpaceException<unsigned long long>(SourceLocation(), needed, buffer.size());
    const std::uint64_t rawSize = (rowBytes + 1) * image.height();
    if (rawSize > 0xFFFFFFFFu)
        throw SpaceException<unsigned long long>(SourceLocation(), rawSize, 0xFFFFFFFFull);

    IncrementalBuffer raw(0, std::uint32_t(rawSize));
    const bool swap = bits == 16 && !image.type().bigEndian();
    for (std::uint32_t r = 0; r < image.height(); ++r) {
        std::uint8_t* line = raw.data() + std::uint64_t(r) * (rowBytes + 1);
        line[0] = 0;
        const std::uint8_t* source = buffer.data() + std::uint64_t(image.height() - 1 - r) * rowBytes;
        std::memcpy(line + 1, source, rowBytes);
        if (swap)
            for (std::uint64_t i = 1; i + 1 <= rowBytes; i += 2)
                std::swap(line[i], line[i + 1]);
    }

    stream.write(signature, 8);
    {
        IncrementalBuffer bytes;
        BufferStream out(bytes);
        Serializer serializer(out);
        SwapEndianess swapped(serializer);
        header.serialize(swapped);
        writeChunk(stream, "IHDR", bytes.data(), bytes.size());
    }
    {
        IncrementalBuffer compressed;
        BufferStream out(compressed);
        PNG::ZlibStream::write(raw, out);
        // One IDAT chunk unless the data is longer than a chunk may be.
        std::uint32_t offset = 0;
        do {
            const std::uint32_t length = std::min<std::uint32_t>(compressed.size() - offset, 0x7FFFFFFFu);
            writeChunk(stream, "IDAT", compressed.data() + offset, length);
            offset += length;
        } while (offset < compressed.size());
    }
    writeChunk(stream, "IEND", nullptr, 0);
}

} // namespace TAVO::Migration
