#include "imaging/codecs/NetPBMImporter.h"

#include <cstring>
#include <vector>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/text/Text.h"
#include "imaging/FormatException.h"
#include "imaging/ImageLayout.h"
#include "imaging/codecs/InsufficientMetaException.h"

namespace TAVO::Migration {

namespace {

[[noreturn]] void fail(const char* message) { throw FormatException(SourceLocation(), "NetPBM", message); }

bool isWhitespace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0; }

std::uint8_t readByte(ReadStream& stream) {
    std::uint8_t c;
    stream.read(&c, 1);
    return c;
}

void skipComment(ReadStream& stream) {
    while (readByte(stream) != '\n') {
    }
}

} // namespace

std::string NetPBMImporter::readToken(ReadStream& stream) {
    std::uint8_t c = readByte(stream);
    for (;;) {
        if (c == '#')
            skipComment(stream);
        else if (!isWhitespace(c))
            break;
        c = readByte(stream);
    }
    std::string token;
    for (;;) {
        token.push_back(char(c));
        if (token.size() > maximumTokenLength)
            fail("Header token too long. ");
        c = readByte(stream);
        if (c == '#') {
            skipComment(stream);
            break;
        }
        if (isWhitespace(c))
            break;
    }
    return token;
}

void NetPBMImporter::readHeader() {
    ReadStream& stream = inputStream();
    std::uint8_t magic[3];
    stream.read(magic, 3);
    if (magic[0] != 'P')
        fail("Data is not recognized as NetPBM.");
    if (!isWhitespace(magic[2]))
        fail("Expected NetPBM magic number to end with whitespace.");
    const unsigned int form = Text::parseUnsigned(std::string(1, char(magic[1])));
    if (form >= 1 && form <= 3)
        throw SupportException(SourceLocation(), "plain ASCII");
    if (form == 7)
        throw SupportException(SourceLocation(), "NetPBM PAM");
    if (form < 4 || form > 6)
        throw SupportException(SourceLocation(), "PGM type " + std::string(reinterpret_cast<const char*>(magic), 2));
    const std::uint32_t width = Text::parseUnsigned(readToken(stream));
    const std::uint32_t height = Text::parseUnsigned(readToken(stream));
    const std::uint32_t channels = form == 6 ? 3 : 1;
    ImageMetadata::checkSize(width, height, channels);
    std::uint32_t bits = 8;
    maxval_ = 1;
    if (form != 4) {
        maxval_ = Text::parseUnsigned(readToken(stream));
        if (maxval_ == 0 || maxval_ > 65535)
            fail("Maximum sample value must be 1 to 65535. ");
        if (maxval_ > 255)
            bits = 16;
    }
    bitmap_ = form == 4;
    ImageMetadata metadata;
    metadata.setWidth(width);
    metadata.setHeight(height);
    metadata.setChannels(channels);
    metadata.setType(Value(bits, 0, bits == 16 ? 1 : 0));
    metadata.setPixelAlignment(0);
    metadata.setLineAlignment(0);
    metadata.setFormat(form == 6 ? ImageMetadata::Format::RGBA : ImageMetadata::Format::Intensity);
    metadata_ = metadata;
}

void NetPBMImporter::readSamples(Buffer& buffer) {
    ReadStream& stream = inputStream();
    const ImageLayout layout(metadata_);
    const std::uint32_t width = metadata_.width();
    const std::uint32_t height = metadata_.height();
    const std::uint32_t channels = metadata_.channels();
    if (channels != 1 && channels != 3)
        fail("Image must have 1 or 3 channels. ");
    const std::uint32_t needed = layout.bufferSize();
    if (buffer.size() < needed)
        throw SpaceException<unsigned int>(SourceLocation(), needed, buffer.size());

    if (bitmap_) {
        const std::uint32_t fileRow = (width + 7) / 8;
        std::vector<std::uint8_t> row(fileRow);
        for (std::uint32_t y = 0; y < height; ++y) {
            stream.read(row.data(), fileRow);
            std::uint8_t* target = buffer.data() + std::uint64_t(height - 1 - y) * layout.bytesPerRow();
            for (std::uint32_t x = 0; x < width; ++x)
                target[x] = (row[x / 8] >> (7 - x % 8)) & 1u ? 0 : 255;
        }
        return;
    }

    const bool wide = metadata_.type().bits() == 16;
    const std::uint32_t sampleBytes = wide ? 2 : 1;
    const std::uint32_t fileRow = width * channels * sampleBytes;
    const std::uint32_t top = wide ? 65535 : 255;
    const std::vector<std::uint32_t>& order = layout.channelOrder();
    bool inOrder = !wide && maxval_ == top && layout.bytesPerPixel() == channels;
    for (std::uint32_t c = 0; c < channels; ++c)
        inOrder = inOrder && order[c] == c;
    if (inOrder) {
        // The file's rows are the buffer's rows as they stand, bottom first.
        for (std::uint32_t y = 0; y < height; ++y)
            stream.read(buffer.data() + std::uint64_t(height - 1 - y) * layout.bytesPerRow(), fileRow);
        return;
    }
    std::vector<std::uint8_t> row(fileRow);
    for (std::uint32_t y = 0; y < height; ++y) {
        stream.read(row.data(), fileRow);
        std::uint8_t* target = buffer.data() + std::uint64_t(height - 1 - y) * layout.bytesPerRow();
        const std::uint8_t* source = row.data();
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* pixel = target + std::uint64_t(x) * layout.bytesPerPixel();
            for (std::uint32_t c = 0; c < channels; ++c) {
                std::uint32_t value = wide ? (std::uint32_t(source[0]) << 8) | source[1] : source[0];
                source += sampleBytes;
                if (maxval_ != top)
                    value = (std::min(value, maxval_) * top + maxval_ / 2) / maxval_;
                std::uint8_t* place = pixel + order[c] * sampleBytes;
                if (wide) {
                    place[0] = std::uint8_t(value >> 8);
                    place[1] = std::uint8_t(value);
                } else {
                    place[0] = std::uint8_t(value);
                }
            }
        }
    }
}

void NetPBMImporter::import(DynamicBuffer& buffer, Metadata& metadata) {
    readHeader();
    ready_ = 1;
    metadata = metadata_;
    buffer.setSize(ImageLayout(metadata_).bufferSize());
    readSamples(buffer);
    ready_ = 0;
}

void NetPBMImporter::importMeta(Metadata& metadata) {
    ready_ = 0;
    readHeader();
    ready_ = 1;
    metadata = metadata_;
}

void NetPBMImporter::importData(Buffer& buffer) {
    if (!ready_)
        throw InsufficientMetaException(SourceLocation(), "Meta data not provided before attempting to read data. ");
    readSamples(buffer);
    ready_ = 0;
}

} // namespace TAVO::Migration
