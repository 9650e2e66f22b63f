#include "imaging/codecs/PNGImporter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/ReadStream.h"
#include "imaging/FormatException.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/ZlibStream.h"

namespace TAVO::Migration {

namespace {

const std::uint8_t signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Chunk data is read in pieces of this size, so that a length field larger
// than the file never makes the reader allocate for it.
const std::uint32_t piece = 65536;

[[noreturn]] void fail(const std::string& message) { throw FormatException(SourceLocation(), "png", message); }

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

bool isType(const std::uint8_t type[4], const char* name) { return std::memcmp(type, name, 4) == 0; }

// Samples per pixel as stored in the file.
unsigned int fileChannels(unsigned int colorType) {
    switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: throw SupportException(SourceLocation(), "PNG color type " + std::to_string(colorType));
    }
}

bool allowedDepth(unsigned int colorType, unsigned int depth) {
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default: return depth == 8 || depth == 16;
    }
}

void unfilterRow(std::uint8_t* row, const std::uint8_t* above, std::uint32_t length, std::uint32_t distance,
                 std::uint8_t filter) {
    switch (filter) {
    case 0:
        break;
    case 1:
        for (std::uint32_t i = distance; i < length; ++i)
            row[i] = std::uint8_t(row[i] + row[i - distance]);
        break;
    case 2:
        for (std::uint32_t i = 0; i < length; ++i)
            row[i] = std::uint8_t(row[i] + above[i]);
        break;
    case 3:
        for (std::uint32_t i = 0; i < length; ++i) {
            unsigned int left = i >= distance ? row[i - distance] : 0;
            row[i] = std::uint8_t(row[i] + ((left + above[i]) >> 1));
        }
        break;
    case 4:
        for (std::uint32_t i = 0; i < length; ++i) {
            int a = i >= distance ? row[i - distance] : 0;
            int b = above[i];
            int c = i >= distance ? above[i - distance] : 0;
            int p = a + b - c;
            int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            int predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
            row[i] = std::uint8_t(row[i] + predictor);
        }
        break;
    default:
        throw BoundException<unsigned char>(SourceLocation(), filter, 5);
    }
}

} // namespace

PNGImporter::PNGImporter() = default;

bool PNGImporter::recognize(ReadStream& stream) {
    std::uint8_t bytes[8];
    stream.read(bytes, 8);
    return std::memcmp(bytes, signature, 8) == 0;
}

void PNGImporter::readChunk(ReadStream& stream, const std::uint8_t type[4], std::uint32_t length,
                            DynamicBuffer* data) {
    crc_.reset(0xFFFFFFFFu);
    crc_.update(type, 4);
    std::uint8_t scratch[4096];
    std::uint32_t left = length;
    while (left > 0) {
        if (data) {
            std::uint32_t n = std::min(left, piece);
            if (n > 0xFFFFFFFFu - data->size())
                fail("image data too large");
            std::uint8_t* target = data->append(n);
            stream.read(target, n);
            crc_.update(target, n);
            left -= n;
        } else {
            std::uint32_t n = std::min<std::uint32_t>(left, sizeof scratch);
            stream.read(scratch, n);
            crc_.update(scratch, n);
            left -= n;
        }
    }
    std::uint8_t stored[4];
    stream.read(stored, 4);
    if (bigEndian32(stored) != ~crc_.value())
        fail("chunk crc missmatch");
}

void PNGImporter::checkHeader() {
    if (header_.compressionMethod != 0)
        throw SupportException(SourceLocation(), "PNG compression method " + std::to_string(header_.compressionMethod));
    if (header_.filterMethod != 0)
        throw SupportException(SourceLocation(), "PNG filter method " + std::to_string(header_.filterMethod));
    if (header_.interlaceMethod != 0)
        throw SupportException(SourceLocation(), "PNG interlace method " + std::to_string(header_.interlaceMethod));
    unsigned int channels = fileChannels(header_.colorType);
    if (!allowedDepth(header_.colorType, header_.bitDepth))
        fail("combination of bit depth and color type");
    ImageMetadata::checkSize(header_.width, header_.height, header_.colorType == 3 ? 3 : channels);
}

void PNGImporter::import(DynamicBuffer& buffer, Metadata& metadata) {
    ReadStream& stream = inputStream();
    haveHeader_ = false;
    palette_.clear();
    imageData_.clear();

    std::uint8_t start[8];
    stream.read(start, 8);
    if (std::memcmp(start, signature, 8) != 0)
        fail("signature missmatch");

    for (;;) {
        if (stream.atEnd())
            fail("unexpected end of file");
        std::uint8_t lengthAndType[8];
        stream.read(lengthAndType, 8);
        const std::uint32_t length = bigEndian32(lengthAndType);
        const std::uint8_t* type = lengthAndType + 4;
        if (length > maximumChunkLength)
            fail("chunk length too large");
        if (!haveHeader_ && !isType(type, "IHDR"))
            fail("header chunk is not first");

        if (isType(type, "IHDR")) {
            if (haveHeader_)
                fail("header chunk appeared twice");
            chunk_.clear();
            readChunk(stream, type, length, &chunk_);
            ConstBufferStream data(chunk_);
            Deserializer deserializer(data);
            SwapEndianess swapped(deserializer);
            header_.serialize(swapped);
            checkHeader();
            haveHeader_ = true;
        } else if (isType(type, "PLTE")) {
            if (!palette_.empty())
                fail("palette chunk has already appeared");
            if (length % 3 != 0)
                fail("palette size not a multiple of 3");
            if (length > 3u * (1u << std::min<unsigned int>(header_.bitDepth, 8)))
                fail("palette size larger than bit depth support");
            if (length == 0)
                fail("empty palette");
            chunk_.clear();
            readChunk(stream, type, length, &chunk_);
            palette_.assign(chunk_.data(), chunk_.data() + chunk_.size());
        } else if (isType(type, "IDAT")) {
            readChunk(stream, type, length, &imageData_);
        } else if (isType(type, "IEND")) {
            readChunk(stream, type, length, nullptr);
            if (length != 0)
                fail("end chunk is not empty");
            if (header_.colorType == 3 && palette_.empty())
                fail("missing palette indicated by header");
            finish(buffer, metadata);
            return;
        } else if (type[0] & 0x20) {
            readChunk(stream, type, length, nullptr);
        } else {
            fail("unsuppored critical chunk");
        }
    }
}

void PNGImporter::finish(DynamicBuffer& buffer, Metadata& metadata) {
    const unsigned int depth = header_.bitDepth;
    const unsigned int channels = fileChannels(header_.colorType);
    const bool paletted = header_.colorType == 3;
    const std::uint32_t width = header_.width;
    const std::uint32_t height = header_.height;

    ImageMetadata image;
    image.setWidth(width);
    image.setHeight(height);
    image.setChannels(paletted ? 3 : channels);
    // 16-bit samples keep the file's byte order, most significant first.
    image.setType(Value(std::max(8u, depth), 0, depth == 16 ? 1 : 0));
    image.setPixelAlignment(0);
    image.setLineAlignment(0);
    image.setFormat(header_.colorType == 0 || header_.colorType == 4 ? ImageMetadata::Format::Intensity
                                                                      : ImageMetadata::Format::RGBA);
    metadata = image;
    const ImageLayout layout(metadata);

    // The file's rows: packed samples after one filter byte.
    const std::uint64_t bitsPerPixel = std::uint64_t(channels) * depth;
    const std::uint64_t rowBytes64 = (bitsPerPixel * width + 7) / 8;
    const std::uint64_t expected = (rowBytes64 + 1) * height;
    if (expected > 0xFFFFFFFFu)
        throw BoundException<unsigned long long>(SourceLocation(), expected, 0xFFFFFFFFull);
    const std::uint32_t rowBytes = std::uint32_t(rowBytes64);
    const std::uint32_t distance = std::max<std::uint32_t>(1, std::uint32_t(bitsPerPixel / 8));
    const std::uint32_t outputSize = layout.bufferSize();

    inflated_.clear();
    PNG::ZlibStream::read(inflater_, imageData_.data(), imageData_.size(), inflated_, expected);
    if (inflated_.size() != expected)
        fail(paletted ? "palette image data size missmatch" : "image data size missmatch");

    buffer.setSize(outputSize);
    const std::uint32_t outputRow = layout.bytesPerRow();
    std::vector<std::uint8_t> zeros(rowBytes, 0);
    const std::uint8_t* above = zeros.data();
    const unsigned int entries = unsigned(palette_.size() / 3);
    for (std::uint32_t r = 0; r < height; ++r) {
        std::uint8_t* line = inflated_.data() + std::uint64_t(r) * (rowBytes + 1);
        std::uint8_t* row = line + 1;
        unfilterRow(row, above, rowBytes, distance, line[0]);
        above = row;
        std::uint8_t* target = buffer.data() + std::uint64_t(height - 1 - r) * outputRow;
        if (paletted) {
            const unsigned int mask = (1u << depth) - 1;
            for (std::uint32_t x = 0; x < width; ++x) {
                std::uint64_t bit = std::uint64_t(x) * depth;
                unsigned int index = (row[bit / 8] >> (8 - depth - bit % 8)) & mask;
                // An index past the palette gives black.
                if (index < entries)
                    std::memcpy(target + 3 * x, palette_.data() + 3 * index, 3);
                else
                    std::memset(target + 3 * x, 0, 3);
            }
        } else if (depth < 8) {
            const unsigned int mask = (1u << depth) - 1;
            const unsigned int scale = 255 / mask;
            for (std::uint32_t x = 0; x < width; ++x) {
                std::uint64_t bit = std::uint64_t(x) * depth;
                target[x] = std::uint8_t(((row[bit / 8] >> (8 - depth - bit % 8)) & mask) * scale);
            }
        } else {
            std::memcpy(target, row, rowBytes);
        }
    }
}

} // namespace TAVO::Migration
