#include "imaging/codecs/NativeImporter.h"

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/text/Text.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"

namespace TAVO::Migration {

namespace {

// The stream must still hold `length` bytes when it knows its size.
void checkAvailable(ReadStream& stream, std::uint32_t length) {
    const std::uint64_t left = stream.remaining();
    if (length > left)
        throw SpaceException<unsigned long long>(SourceLocation(), length, left);
}

} // namespace

std::uint32_t NativeImporter::readLength() {
    std::uint8_t bytes[4];
    inputStream().read(bytes, 4);
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

void NativeImporter::import(DynamicBuffer& buffer, Metadata& metadata) {
    importMeta(metadata);
    const std::uint32_t length = readLength();
    // The data must be exactly the image the metadata describes, and that
    // image must be one the model holds.
    const ImageMetadata image(metadata);
    ImageMetadata::checkSize(image.width(), image.height(), image.channels());
    const ImageLayout layout(metadata);
    if (length != layout.byteCount())
        throw UnexpectedValueException(SourceLocation(), Text::toString(length),
                                       std::to_string(layout.byteCount()));
    ReadStream& stream = inputStream();
    checkAvailable(stream, length);
    buffer.setSize(length);
    if (length > 0)
        stream.read(buffer.data(), length);
}

void NativeImporter::importData(Buffer& buffer) {
    const std::uint32_t length = readLength();
    if (length != buffer.size())
        throw UnexpectedValueException(SourceLocation(), Text::toString(length), Text::toString(buffer.size()));
    ReadStream& stream = inputStream();
    checkAvailable(stream, length);
    if (length > 0)
        stream.read(buffer.data(), length);
}

} // namespace TAVO::Migration
