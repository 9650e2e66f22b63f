#pragma once

#include <string>
#include <vector>

namespace TAVO {

// Canonical Huffman codes and their two-way decode tree, shared by the
// inflater and the JPEG decoder.
//
// The tree is a flat array of slots. Node k occupies slots k and k + 1 (the
// slot for bit 0 and the slot for bit 1); the root is node 0. A slot value
// below the symbol count is a symbol (a leaf), a value of the symbol count or
// more is the symbol count plus the first slot index of the child node, and
// `emptySlot` marks a slot that no code reaches.
//
// Codes are stored bit-reversed: bit 0 of a stored code is the first bit a
// decoder meets, the most significant bit of the canonical code. The tree is
// walked in that order whatever the bit order of the carrying stream.
//
// Every failure is a TAVO::Migration::FormatException carrying the format
// word given to the operation ("deflate", "jpeg", ...).
class HuffmanTree {
public:
    // One entry of a code table: the symbol is the index in the table; a
    // length of 0 means the symbol has no code.
    struct Code {
        unsigned int length = 0;
        unsigned int code = 0;
    };
    using CodeTable = std::vector<Code>;

    static constexpr unsigned int emptySlot = 0xFFFFFFFFu;
    // Longest code accepted; deflate uses at most 15 bits and JPEG 16.
    static constexpr unsigned int maximumLength = 24;
    // Most symbols a table may hold.
    static constexpr unsigned int maximumSymbols = 65536;

    // Gives every symbol with a non-zero length its canonical code, stored
    // bit-reversed. Refuses lengths beyond maximumLength, tables beyond
    // maximumSymbols and over-subscribed lengths (the Kraft sum above 1),
    // which no prefix code can have. Incomplete codes are accepted; decoding
    // a bit sequence outside them fails.
    static void assignCodes(CodeTable& table, const std::string& format);

    // Builds the tree from a table whose codes are already assigned. A step
    // that meets a leaf, or a code that lands on an occupied slot, fails: the
    // codes were not a prefix code.
    HuffmanTree(const CodeTable& table, const std::string& format);

    // The same as assignCodes on a copy of the lengths followed by the tree
    // construction; the lengths are given in symbol order.
    static HuffmanTree fromLengths(const std::vector<unsigned int>& lengths, const std::string& format);

    // True when no slot is empty: every bit sequence leads to a symbol.
    bool complete() const;

    // The low `length` bits of `code` in reverse order.
    static unsigned int reverse(unsigned int code, unsigned int length);
    // Reverses the code of one table entry in place.
    static void reverse(Code& entry);

    // One decode step: from slot index `node` (0 for the root) along bit
    // (0 or 1). Returns the slot's value: a symbol when below symbolCount(),
    // else symbolCount() plus the next node. An empty slot fails.
    unsigned int step(unsigned int node, unsigned int bit) const {
        unsigned int value = slots_[node + bit];
        if (value == emptySlot)
            failEmpty();
        return value;
    }

    // Decodes one symbol, taking bits from source.readBit() (each 0 or 1)
    // until a leaf is reached.
    template <class BitSource>
    unsigned int decode(BitSource& source) const {
        unsigned int value = step(0, source.readBit());
        while (value >= symbolCount_)
            value = step(value - symbolCount_, source.readBit());
        return value;
    }

    unsigned int symbolCount() const { return symbolCount_; }
    const std::vector<unsigned int>& slots() const { return slots_; }
    const std::string& format() const { return format_; }

private:
    [[noreturn]] void failEmpty() const;

    unsigned int symbolCount_;
    std::vector<unsigned int> slots_;
    std::string format_;
};

} // namespace TAVO
