#pragma once

#include <cstddef>
#include <cstdint>

namespace TAVO {
class Buffer;
class DynamicBuffer;
class WriteStream;
} // namespace TAVO

namespace TAVO::Migration::PNG {

class Inflater;

// The zlib framing (RFC 1950) around deflate data, as PNG image data uses it.
// Failures of the framing are FormatException "png".
class ZlibStream {
public:
    // Checks the header, inflates into output (at most `limit` bytes appended)
    // and compares the Adler-32 sum that follows. Bytes after the sum are
    // ignored.
    static void read(Inflater& inflater, const std::uint8_t* data, std::size_t size, DynamicBuffer& output,
                     std::uint64_t limit);

    // Header 78 01, the bytes as stored deflate blocks, and their Adler-32.
    static void write(const Buffer& input, WriteStream& output);
};

} // namespace TAVO::Migration::PNG
