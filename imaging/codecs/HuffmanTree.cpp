#include "imaging/codecs/HuffmanTree.h"

#include <cstdint>

#include "foundation/exceptions/SourceLocation.h"
#include "imaging/FormatException.h"

namespace TAVO {

namespace {

[[noreturn]] void fail(const std::string& format, const char* message) {
    throw Migration::FormatException(SourceLocation(), format, message);
}

} // namespace

unsigned int HuffmanTree::reverse(unsigned int code, unsigned int length) {
    unsigned int result = 0;
    for (unsigned int i = 0; i < length; ++i) {
        result = (result << 1) | (code & 1u);
        code >>= 1;
    }
    return result;
}

void HuffmanTree::reverse(Code& entry) { entry.code = reverse(entry.code, entry.length); }

void HuffmanTree::assignCodes(CodeTable& table, const std::string& format) {
    if (table.size() > maximumSymbols)
        fail(format, "Too many symbols in Huffman code. ");
    unsigned int count[maximumLength + 1] = {};
    for (const Code& entry : table) {
        if (entry.length > maximumLength)
            fail(format, "Huffman code length too large. ");
        ++count[entry.length];
    }
    count[0] = 0;
    // Kraft: the codes of each length may use no more than the code space
    // the shorter codes left free.
    std::uint64_t space = 1;
    for (unsigned int length = 1; length <= maximumLength; ++length) {
        space <<= 1;
        if (count[length] > space)
            fail(format, "Over-subscribed Huffman code lengths. ");
        space -= count[length];
    }
    unsigned int next[maximumLength + 1] = {};
    unsigned int code = 0;
    for (unsigned int length = 1; length <= maximumLength; ++length) {
        code = (code + count[length - 1]) << 1;
        next[length] = code;
    }
    for (Code& entry : table) {
        if (entry.length == 0) {
            entry.code = 0;
            continue;
        }
        entry.code = reverse(next[entry.length]++, entry.length);
    }
}

HuffmanTree::HuffmanTree(const CodeTable& table, const std::string& format)
    : symbolCount_(static_cast<unsigned int>(table.size())), slots_(2, emptySlot), format_(format) {
    if (table.size() > maximumSymbols)
        fail(format, "Too many symbols in Huffman code. ");
    for (unsigned int symbol = 0; symbol < symbolCount_; ++symbol) {
        const Code& entry = table[symbol];
        if (entry.length == 0)
            continue;
        if (entry.length > maximumLength)
            fail(format, "Huffman code length too large. ");
        if (entry.length < 32 && (entry.code >> entry.length) != 0)
            fail(format, "Huffman code longer than its length. ");
        unsigned int node = 0;
        for (unsigned int i = 0; i + 1 < entry.length; ++i) {
            unsigned int slot = node + ((entry.code >> i) & 1u);
            unsigned int value = slots_[slot];
            if (value == emptySlot) {
                value = symbolCount_ + static_cast<unsigned int>(slots_.size());
                slots_[slot] = value;
                slots_.push_back(emptySlot);
                slots_.push_back(emptySlot);
            } else if (value < symbolCount_) {
                fail(format, "Huffman code is not a prefix code. ");
            }
            node = value - symbolCount_;
        }
        unsigned int slot = node + ((entry.code >> (entry.length - 1)) & 1u);
        if (slots_[slot] != emptySlot)
            fail(format, "Huffman code is not a prefix code. ");
        slots_[slot] = symbol;
    }
}

HuffmanTree HuffmanTree::fromLengths(const std::vector<unsigned int>& lengths, const std::string& format) {
    if (lengths.size() > maximumSymbols)
        fail(format, "Too many symbols in Huffman code. ");
    CodeTable table(lengths.size());
    for (std::size_t i = 0; i < lengths.size(); ++i)
        table[i].length = lengths[i];
    assignCodes(table, format);
    return HuffmanTree(table, format);
}

bool HuffmanTree::complete() const {
    for (unsigned int value : slots_)
        if (value == emptySlot)
            return false;
    return true;
}

void HuffmanTree::failEmpty() const { fail(format_, "Invalid Huffman code. "); }

} // namespace TAVO
