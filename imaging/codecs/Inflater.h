#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/codecs/HuffmanTree.h"

namespace TAVO {

class Buffer;
class DynamicBuffer;
class WriteStream;

namespace Migration::PNG {

// Decodes deflate data (RFC 1951) from a whole buffer, and writes deflate data
// as stored blocks. Malformed data raises FormatException "deflate"; input
// that ends inside a block raises StreamException.
class Inflater {
public:
    Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decodes blocks from data[0, size) until the block marked final and
    // appends the bytes to output. At most `limit` bytes are appended: a
    // stream that decodes to more is malformed. Returns the number of input
    // bytes consumed (a partly used last byte counts as consumed). On failure
    // the output keeps what was decoded; callers discard it.
    std::size_t inflate(const std::uint8_t* data, std::size_t size, DynamicBuffer& output,
                        std::uint64_t limit);

    // Writes the whole buffer as stored blocks of at most 65535 bytes, the
    // last one final. Empty input gives one final empty block.
    static void deflate(const Buffer& input, WriteStream& output);
    static void deflate(const std::uint8_t* data, std::size_t size, WriteStream& output);

    // Adler-32 (RFC 1950), continued from `start` (1 for a fresh sum).
    static std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t start = 1);
    static std::uint32_t adler32(const Buffer& buffer);

private:
    // A decode tree together with a lookup table over its first tableBits
    // levels, so that most symbols take one step.
    struct Decoder {
        static constexpr unsigned int tableBits = 9;
        // Entry: bits 0-4 the bits consumed (0: no code starts so), bit 5 set
        // for a symbol, bits 6 and up the symbol or the tree slot value.
        std::vector<std::uint32_t> table;
        const HuffmanTree* tree = nullptr;
        void build(const HuffmanTree& tree);
    };

    class BitReader;

    void readLengths(BitReader& bits, const Decoder& codeLengths, unsigned int count);
    void decodeBlock(BitReader& bits, const Decoder& literals, const Decoder* distances);
    unsigned int decodeSymbol(BitReader& bits, const Decoder& decoder);
    void grow(std::uint32_t needed);

    HuffmanTree::CodeTable table_;
    std::vector<unsigned int> lengths_;
    HuffmanTree fixedLiterals_;
    Decoder fixedDecoder_;

    // Output state of the current inflate.
    DynamicBuffer* output_ = nullptr;
    std::uint32_t start_ = 0;
    std::uint32_t position_ = 0;
    std::uint32_t capacity_ = 0;
    std::uint32_t limit_ = 0;
    std::uint8_t* out_ = nullptr;
};

} // namespace Migration::PNG
} // namespace TAVO
