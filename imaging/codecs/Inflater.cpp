#include "imaging/codecs/Inflater.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/exceptions/SourceLocation.h"
#include "foundation/streams/Buffer.h"
#include "foundation/streams/DynamicBuffer.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/WriteStream.h"
#include "imaging/FormatException.h"

namespace TAVO::Migration::PNG {

namespace {

const char* const format = "deflate";

[[noreturn]] void fail(const char* message) { throw FormatException(SourceLocation(), format, message); }

[[noreturn]] void failEnd() {
    throw TAVO::StreamException(SourceLocation(), "Attempted to read over end of buffer. ");
}

// Order in which the code-length code lengths are stored.
const unsigned char codeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

} // namespace

// Bits least significant first from a byte range. The bit buffer holds up to
// 64 bits; `count_` of them are real input, the ones above are zero.
class Inflater::BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : begin_(data), next_(data), end_(data + size) {}

    void refill() {
        while (count_ <= 56 && next_ < end_) {
            bits_ |= std::uint64_t(*next_++) << count_;
            count_ += 8;
        }
    }
    std::uint64_t peek() const { return bits_; }
    unsigned int available() const { return count_; }
    void consume(unsigned int n) {
        bits_ >>= n;
        count_ -= n;
    }
    unsigned int readBit() { return readBits(1); }
    // n of at most 32 bits.
    unsigned int readBits(unsigned int n) {
        if (n == 0)
            return 0;
        if (count_ < n) {
            refill();
            if (count_ < n)
                failEnd();
        }
        unsigned int value = unsigned(bits_ & ((std::uint64_t(1) << n) - 1));
        consume(n);
        return value;
    }
    // Drops the bits left in the current byte and hands back the whole bytes
    // still held, so that byte reads continue at the next unread byte.
    void alignToByte() {
        consume(count_ % 8);
        next_ -= count_ / 8;
        bits_ = 0;
        count_ = 0;
    }
    // After alignToByte: count whole bytes straight from the input.
    const std::uint8_t* takeBytes(std::size_t n) {
        if (std::size_t(end_ - next_) < n)
            failEnd();
        const std::uint8_t* bytes = next_;
        next_ += n;
        return bytes;
    }
    std::size_t consumed() const { return std::size_t(next_ - begin_) - count_ / 8; }

private:
    const std::uint8_t* begin_;
    const std::uint8_t* next_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    unsigned int count_ = 0;
};

void Inflater::Decoder::build(const HuffmanTree& source) {
    tree = &source;
    const std::vector<unsigned int>& slots = source.slots();
    const unsigned int n = source.symbolCount();
    table.assign(std::size_t(1) << tableBits, 0);
    for (unsigned int index = 0; index < table.size(); ++index) {
        unsigned int node = 0;
        std::uint32_t entry = 0;
        for (unsigned int k = 0; k < tableBits; ++k) {
            unsigned int value = slots[node + ((index >> k) & 1u)];
            if (value == HuffmanTree::emptySlot)
                break;
            if (value < n) {
                entry = (value << 6) | 32u | (k + 1);
                break;
            }
            if (k + 1 == tableBits) {
                entry = (value << 6) | tableBits;
                break;
            }
            node = value - n;
        }
        table[index] = entry;
    }
}

Inflater::Inflater()
    : fixedLiterals_([] {
          std::vector<unsigned int> lengths(288);
          for (unsigned int s = 0; s < 288; ++s)
              lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
          return HuffmanTree::fromLengths(lengths, format);
      }()) {
    fixedDecoder_.build(fixedLiterals_);
}

unsigned int Inflater::decodeSymbol(BitReader& bits, const Decoder& decoder) {
    if (bits.available() < Decoder::tableBits)
        bits.refill();
    std::uint32_t entry = decoder.table[bits.peek() & ((1u << Decoder::tableBits) - 1)];
    unsigned int used = entry & 31u;
    if (used == 0 || used > bits.available()) {
        // Either no code starts with these bits, or the input ends inside the
        // code: walk bit by bit so that the right failure is reported.
        return decoder.tree->decode(bits);
    }
    bits.consume(used);
    unsigned int value = entry >> 6;
    if (entry & 32u)
        return value;
    const HuffmanTree& tree = *decoder.tree;
    const unsigned int n = tree.symbolCount();
    while (value >= n)
        value = tree.step(value - n, bits.readBit());
    return value;
}

void Inflater::grow(std::uint32_t needed) {
    // needed > capacity_ here, and position_ + needed <= limit_.
    std::uint64_t capacity = std::max<std::uint64_t>({std::uint64_t(capacity_) * 2, needed, 65536});
    capacity = std::min<std::uint64_t>(capacity, limit_);
    output_->resize(start_ + std::uint32_t(capacity));
    capacity_ = std::uint32_t(capacity);
    out_ = output_->data() + start_;
}

void Inflater::readLengths(BitReader& bits, const Decoder& codeLengths, unsigned int count) {
    lengths_.clear();
    while (lengths_.size() < count) {
        unsigned int symbol = decodeSymbol(bits, codeLengths);
        unsigned int repeat = 0;
        unsigned int length = 0;
        if (symbol < 16) {
            lengths_.push_back(symbol);
            continue;
        } else if (symbol == 16) {
            repeat = 3 + bits.readBits(2);
            length = lengths_.empty() ? 0 : lengths_.back();
        } else if (symbol == 17) {
            repeat = 3 + bits.readBits(3);
        } else if (symbol == 18) {
            repeat = 11 + bits.readBits(7);
        } else {
            fail("Invalid code word in code length code. ");
        }
        if (lengths_.size() + repeat > count)
            fail("Invalid number of code length symbols unpacked. ");
        lengths_.insert(lengths_.end(), repeat, length);
    }
}

void Inflater::decodeBlock(BitReader& bits, const Decoder& literals, const Decoder* distances) {
    for (;;) {
        unsigned int symbol = decodeSymbol(bits, literals);
        if (symbol < 256) {
            if (position_ == capacity_) {
                if (position_ == limit_)
                    fail("Decompressed data larger than expected. ");
                grow(position_ + 1);
            }
            out_[position_++] = std::uint8_t(symbol);
            continue;
        }
        if (symbol == 256)
            return;
        unsigned int length;
        if (symbol < 265) {
            length = symbol - 254;
        } else if (symbol < 285) {
            unsigned int k = symbol - 261;
            unsigned int e = k >> 2;
            length = ((((k & 3u) | 4u) << e) | bits.readBits(e)) + 3;
        } else if (symbol == 285) {
            length = 258;
        } else {
            fail("Invalid literal/length symbol. ");
        }
        unsigned int d = distances ? decodeSymbol(bits, *distances) : HuffmanTree::reverse(bits.readBits(5), 5);
        unsigned int distance;
        if (d < 4) {
            distance = d + 1;
        } else if (d < 30) {
            unsigned int k = d - 2;
            unsigned int e = k >> 1;
            distance = ((((k & 1u) | 2u) << e) | bits.readBits(e)) + 1;
        } else {
            fail("Invalid distance symbol. ");
        }
        if (distance > position_)
            fail("Back reference refer beyond beginning of buffer. ");
        if (length > limit_ - position_)
            fail("Decompressed data larger than expected. ");
        if (length > capacity_ - position_)
            grow(position_ + length);
        std::uint8_t* target = out_ + position_;
        const std::uint8_t* source = target - distance;
        if (distance == 1) {
            std::memset(target, *source, length);
        } else if (distance >= length) {
            std::memcpy(target, source, length);
        } else {
            // Overlapping: copy in pieces of at most the distance, each from
            // bytes already written, so the pattern repeats.
            unsigned int done = 0;
            while (done < length) {
                unsigned int piece = std::min(distance, length - done);
                std::memcpy(target + done, source + done, piece);
                done += piece;
            }
        }
        position_ += length;
    }
}

std::size_t Inflater::inflate(const std::uint8_t* data, std::size_t size, DynamicBuffer& output,
                              std::uint64_t limit) {
    output_ = &output;
    start_ = output.size();
    position_ = 0;
    capacity_ = 0;
    limit_ = std::uint32_t(std::min<std::uint64_t>(limit, 0xFFFFFFFFu - start_));
    out_ = nullptr;

    struct Finish {
        Inflater& inflater;
        ~Finish() {
            inflater.output_->resize(inflater.start_ + inflater.position_);
            inflater.output_ = nullptr;
            inflater.out_ = nullptr;
        }
    } finish{*this};

    BitReader bits(data, size);
    bool final = false;
    while (!final) {
        final = bits.readBits(1) != 0;
        unsigned int type = bits.readBits(2);
        if (type == 0) {
            bits.alignToByte();
            const std::uint8_t* header = bits.takeBytes(4);
            unsigned int length = header[0] | (unsigned(header[1]) << 8);
            unsigned int complement = header[2] | (unsigned(header[3]) << 8);
            if ((length ^ complement) != 0xFFFFu)
                fail("Missmatching length and length complement in no compression block. ");
            if (length > limit_ - position_)
                fail("Decompressed data larger than expected. ");
            const std::uint8_t* bytes = bits.takeBytes(length);
            if (length > capacity_ - position_)
                grow(position_ + length);
            if (length)
                std::memcpy(out_ + position_, bytes, length);
            position_ += length;
        } else if (type == 1) {
            decodeBlock(bits, fixedDecoder_, nullptr);
        } else if (type == 2) {
            unsigned int literalCount = bits.readBits(5) + 257;
            unsigned int distanceCount = bits.readBits(5) + 1;
            unsigned int codeLengthCount = bits.readBits(4) + 4;
            table_.assign(19, HuffmanTree::Code());
            for (unsigned int i = 0; i < codeLengthCount; ++i)
                table_[codeLengthOrder[i]].length = bits.readBits(3);
            HuffmanTree::assignCodes(table_, format);
            HuffmanTree codeLengthTree(table_, format);
            Decoder codeLengths;
            codeLengths.build(codeLengthTree);

            // The literal/length and distance lengths form one sequence: a
            // repeat may run from one list into the other.
            readLengths(bits, codeLengths, literalCount + distanceCount);
            if (lengths_[256] == 0)
                fail("Missing end-of-block code. ");
            table_.assign(literalCount, HuffmanTree::Code());
            for (unsigned int i = 0; i < literalCount; ++i)
                table_[i].length = lengths_[i];
            HuffmanTree::assignCodes(table_, format);
            HuffmanTree literalTree(table_, format);
            table_.assign(distanceCount, HuffmanTree::Code());
            for (unsigned int i = 0; i < distanceCount; ++i)
                table_[i].length = lengths_[literalCount + i];
            HuffmanTree::assignCodes(table_, format);
            HuffmanTree distanceTree(table_, format);

            Decoder literalDecoder;
            literalDecoder.build(literalTree);
            Decoder distanceDecoder;
            distanceDecoder.build(distanceTree);
            decodeBlock(bits, literalDecoder, &distanceDecoder);
        } else {
            fail("Reserved block type detected. ");
        }
    }
    return bits.consumed();
}

void Inflater::deflate(const Buffer& input, WriteStream& output) { deflate(input.data(), input.size(), output); }

void Inflater::deflate(const std::uint8_t* data, std::size_t size, WriteStream& output) {
    std::size_t offset = 0;
    do {
        std::size_t left = size - offset;
        std::size_t piece = std::min<std::size_t>(left, 65535);
        std::uint8_t header[5];
        header[0] = left < 65536 ? 1 : 0; // BFINAL, BTYPE 00, padding
        header[1] = std::uint8_t(piece);
        header[2] = std::uint8_t(piece >> 8);
        header[3] = std::uint8_t(~piece);
        header[4] = std::uint8_t(~piece >> 8);
        output.write(header, sizeof header);
        if (piece)
            output.write(data + offset, piece);
        offset += piece;
    } while (offset < size);
}

std::uint32_t Inflater::adler32(const std::uint8_t* data, std::size_t size, std::uint32_t start) {
    std::uint32_t a = start & 0xFFFFu;
    std::uint32_t b = start >> 16;
    while (size > 0) {
        // 5552 bytes is the most that can be summed before the 32-bit sums
        // could overflow (the bound zlib derives for the same sum).
        std::size_t run = std::min<std::size_t>(size, 5552);
        size -= run;
        while (run--) {
            a += *data++;
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

std::uint32_t Inflater::adler32(const Buffer& buffer) { return adler32(buffer.data(), buffer.size()); }

} // namespace TAVO::Migration::PNG
