#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/FormatException.h"
#include "imaging/codecs/HuffmanTree.h"

using namespace TAVO;

namespace {

HuffmanTree::CodeTable tableOf(const std::vector<unsigned int>& lengths) {
    HuffmanTree::CodeTable table(lengths.size());
    for (std::size_t i = 0; i < lengths.size(); ++i)
        table[i].length = lengths[i];
    return table;
}

// Feeds a fixed sequence of bits, first bit first.
struct Bits {
    std::vector<unsigned int> bits;
    std::size_t next = 0;
    unsigned int readBit() { return bits.at(next++); }
};

} // namespace

TEST(HuffmanTree, CanonicalCodesAreAssignedInSymbolOrderAndStoredReversed) {
    HuffmanTree::CodeTable table = tableOf({2, 1, 3, 3});
    HuffmanTree::assignCodes(table, "test");
    // 10, 0, 110, 111 before reversal.
    EXPECT_EQ(HuffmanTree::reverse(table[0].code, 2), 0b10u);
    EXPECT_EQ(HuffmanTree::reverse(table[1].code, 1), 0b0u);
    EXPECT_EQ(HuffmanTree::reverse(table[2].code, 3), 0b110u);
    EXPECT_EQ(HuffmanTree::reverse(table[3].code, 3), 0b111u);
    EXPECT_EQ(table[2].code, 0b011u);

    HuffmanTree tree(table, "test");
    EXPECT_TRUE(tree.complete());
    Bits bits{{1, 1, 0, 0, 1, 0, 1, 1, 1}};
    EXPECT_EQ(tree.decode(bits), 2u);
    EXPECT_EQ(tree.decode(bits), 1u);
    EXPECT_EQ(tree.decode(bits), 0u);
    EXPECT_EQ(tree.decode(bits), 3u);
}

TEST(HuffmanTree, DecodesEveryCodeOfARandomCompleteCode) {
    // Lengths from a random full binary tree (split random leaves).
    std::mt19937 random(3);
    std::vector<unsigned int> lengths{1, 1};
    while (lengths.size() < 200) {
        std::size_t i = random() % lengths.size();
        if (lengths[i] >= 15)
            continue;
        ++lengths[i];
        lengths.insert(lengths.begin() + long(random() % (lengths.size() + 1)), lengths[i]);
    }
    HuffmanTree::CodeTable table = tableOf(lengths);
    HuffmanTree::assignCodes(table, "test");
    HuffmanTree tree(table, "test");
    EXPECT_TRUE(tree.complete());
    for (unsigned int s = 0; s < table.size(); ++s) {
        Bits bits;
        for (unsigned int i = 0; i < table[s].length; ++i)
            bits.bits.push_back((table[s].code >> i) & 1u);
        EXPECT_EQ(tree.decode(bits), s);
        EXPECT_EQ(bits.next, bits.bits.size());
    }
}

TEST(HuffmanTree, OverSubscribedLengthsAreRefused) {
    HuffmanTree::CodeTable table = tableOf({1, 1, 1});
    EXPECT_THROW(HuffmanTree::assignCodes(table, "test"), Migration::FormatException);
    table = tableOf({2, 2, 2, 2, 3});
    EXPECT_THROW(HuffmanTree::assignCodes(table, "test"), Migration::FormatException);
    table = tableOf({HuffmanTree::maximumLength + 1});
    EXPECT_THROW(HuffmanTree::assignCodes(table, "test"), Migration::FormatException);
    // Exactly full is accepted.
    table = tableOf({2, 2, 2, 2});
    EXPECT_NO_THROW(HuffmanTree::assignCodes(table, "test"));
}

TEST(HuffmanTree, CodesThatAreNotAPrefixCodeAreRefusedByTheConstruction) {
    // A code that continues through a leaf.
    HuffmanTree::CodeTable table{{1, 0}, {2, 0}};
    try {
        HuffmanTree tree(table, "jpeg");
        FAIL() << "expected a failure";
    } catch (const Migration::FormatException& e) {
        EXPECT_EQ(e.format(), "jpeg");
    }
    // A leaf placed where a node already is.
    table = {{2, 0}, {1, 0}};
    EXPECT_THROW(HuffmanTree(table, "test"), Migration::FormatException);
    // The same code twice.
    table = {{3, 5}, {3, 5}};
    EXPECT_THROW(HuffmanTree(table, "test"), Migration::FormatException);
    // A code wider than its length.
    table = {{1, 2}};
    EXPECT_THROW(HuffmanTree(table, "test"), Migration::FormatException);
}

TEST(HuffmanTree, AnIncompleteCodeFailsOnTheMissingBranch) {
    HuffmanTree tree = HuffmanTree::fromLengths({0, 1, 0}, "test");
    EXPECT_FALSE(tree.complete());
    Bits zero{{0}};
    EXPECT_EQ(tree.decode(zero), 1u);
    Bits one{{1}};
    EXPECT_THROW(tree.decode(one), Migration::FormatException);

    HuffmanTree empty = HuffmanTree::fromLengths({0, 0, 0}, "test");
    EXPECT_FALSE(empty.complete());
    Bits again{{0}};
    EXPECT_THROW(empty.decode(again), Migration::FormatException);
}

TEST(HuffmanTree, JpegStyleTableWithItsExtraCodeAfterTheLastOne) {
    // Two codes of length 2 and the extra entry of the same length: 00, 01, 10.
    HuffmanTree::CodeTable table = tableOf({2, 2, 2});
    HuffmanTree::assignCodes(table, "jpeg");
    HuffmanTree tree(table, "jpeg");
    Bits bits{{1, 0, 1, 1}};
    EXPECT_EQ(tree.decode(bits), 2u);
    EXPECT_THROW(tree.decode(bits), Migration::FormatException); // 11 is unused
}
