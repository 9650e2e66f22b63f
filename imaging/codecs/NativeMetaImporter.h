#pragma once

#include <cstdint>
#include <string>

#include "imaging/DataImporterSeparate.h"

namespace TAVO::Migration {

// Reads the metadata of the native raw image format: entry lines
// "\"key\"=\"value\"\r\n" with escaped texts, ended by a zero byte. The pixel
// data that follows is left to NativeImporter.
class NativeMetaImporter : public DataImporterSeparate {
public:
    // Empties the buffer, then importMeta.
    void import(DynamicBuffer& buffer, Metadata& metadata) override;
    // Reads the entries up to and including the zero byte and sets each on the metadata.
    void importMeta(Metadata& metadata) override;
    // Skips the stream past the next zero byte; reads no data.
    void importData(Buffer& buffer) override;

    // How much the stream's start looks like the format: 1.0 for a metadata
    // text of 1, 4, 7, ... entries, 0.1 for 16384 bytes without a zero byte,
    // 0.0 otherwise (a stream that ends before a zero byte included). Consumes
    // bytes from the stream.
    static float recognize(ReadStream& stream);
    // Undoes NativeExporter::escape: backslash-apostrophe is a double quote,
    // backslash-0 a zero byte, two backslashes one backslash, and a backslash
    // before any other byte drops both. A lone backslash at the end throws
    // UnexpectedEndException "escape character".
    static std::string unescape(const char* bytes, std::uint32_t length);

    // The bytes the recogniser looks at.
    static constexpr std::uint32_t recognizeLength = 16384;
};

} // namespace TAVO::Migration
