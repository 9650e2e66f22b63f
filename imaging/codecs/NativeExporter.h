#pragma once

#include <string>

#include "imaging/DataExporter.h"

namespace TAVO::Migration {

// Writes an image in the native raw format (see NativeImporter).
class NativeExporter : public DataExporter {
public:
    // The metadata, the buffer's size (u32, little-endian) and its bytes. An
    // ImageMetadata's buffer must hold exactly its layout's bytes (else
    // UnexpectedValueException: buffer size, byte count); nothing is written then.
    void write(const Buffer& buffer, const Metadata& metadata) override;
    // Every entry as "\"key\"=\"value\"\r\n" in key order, then a zero byte.
    void writeMeta(const Metadata& metadata);
    // Zero byte -> backslash '0', double quote -> backslash apostrophe,
    // backslash -> two backslashes; every other byte stays.
    static std::string escape(const std::string& text);
};

} // namespace TAVO::Migration
