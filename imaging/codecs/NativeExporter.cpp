#include "imaging/codecs/NativeExporter.h"

#include <cstdint>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/text/Text.h"
#include "foundation/text/TextWriter.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"

namespace TAVO::Migration {

std::string NativeExporter::escape(const std::string& text) {
    std::string result;
    result.reserve(text.size() * 2);
    for (const char c : text) {
        switch (c) {
        case '\0': result += "\\0"; break;
        case '"': result += "\\'"; break;
        case '\\': result += "\\\\"; break;
        default: result += c; break;
        }
    }
    return result;
}

void NativeExporter::writeMeta(const Metadata& metadata) {
    TextWriter writer(outputStream());
    writer.setLineEnd(TextWriter::CRLF);
    for (const auto& [key, value] : metadata.entries())
        writer << '"' << escape(key) << "\"=\"" << escape(value) << '"' << TextWriter::LineEnd;
    const std::uint8_t zero = 0;
    outputStream().write(&zero, 1);
}

void NativeExporter::write(const Buffer& buffer, const Metadata& metadata) {
    WriteStream& stream = outputStream();
    if (const auto* image = dynamic_cast<const ImageMetadata*>(&metadata)) {
        const ImageLayout layout(*image);
        if (buffer.size() != layout.byteCount())
            throw UnexpectedValueException(SourceLocation(), Text::toString(buffer.size()),
                                           std::to_string(layout.byteCount()));
    }
    writeMeta(metadata);
    const std::uint32_t size = buffer.size();
    const std::uint8_t length[4] = {std::uint8_t(size), std::uint8_t(size >> 8), std::uint8_t(size >> 16),
                                    std::uint8_t(size >> 24)};
    stream.write(length, 4);
    if (size > 0)
        stream.write(buffer.data(), size);
}

} // namespace TAVO::Migration
