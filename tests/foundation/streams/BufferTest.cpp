#include <gtest/gtest.h>

#include <cstring>

#include "foundation/exceptions/AccessException.h"
#include "foundation/exceptions/BoundException.h"
#include "foundation/streams/ArrayBuffer.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/RingIndex.h"

using namespace TAVO;

TEST(IncrementalBuffer, ResizeKeepsContentsAndCapacityNeverShrinks) {
    IncrementalBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 0u);
    buffer.resize(5);
    std::memcpy(buffer.data(), "abcde", 5);
    buffer.resize(3);
    EXPECT_EQ(buffer.capacity(), 5u);
    EXPECT_EQ(std::memcmp(buffer.data(), "abc", 3), 0);
    buffer.resize(5);
    EXPECT_EQ(buffer.capacity(), 5u);
    EXPECT_EQ(std::memcmp(buffer.data(), "abc", 3), 0);
}

TEST(IncrementalBuffer, GrowingBeyondCapacityKeepsContentsOnResizeOnly) {
    IncrementalBuffer buffer;
    buffer.assign("hello", 5);
    buffer.resize(11);
    EXPECT_EQ(buffer.capacity(), 11u);
    EXPECT_EQ(std::memcmp(buffer.data(), "hello", 5), 0);
    buffer.setSize(40);
    EXPECT_EQ(buffer.size(), 40u);
    EXPECT_EQ(buffer.capacity(), 40u);
}

TEST(IncrementalBuffer, AppendingByteByByteDoublesCapacity) {
    IncrementalBuffer buffer;
    std::uint32_t seen[8];
    for (int i = 0; i < 8; ++i) {
        *buffer.append(1) = std::uint8_t(i);
        seen[i] = buffer.capacity();
    }
    const std::uint32_t expected[8] = {1, 2, 4, 4, 8, 8, 8, 8};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(seen[i], expected[i]) << i;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(*buffer.data(std::uint32_t(i), 1), i);
}

TEST(IncrementalBuffer, InitialCapacityAndSize) {
    IncrementalBuffer chunk(8192, 8192);
    EXPECT_EQ(chunk.size(), 8192u);
    IncrementalBuffer partly(16, 4);
    EXPECT_EQ(partly.size(), 4u);
    EXPECT_EQ(partly.capacity(), 16u);
}

TEST(IncrementalBuffer, CopiesAreIndependent) {
    IncrementalBuffer a;
    a.assign("xyz", 3);
    IncrementalBuffer b(a);
    *b.data(0, 1) = 'q';
    EXPECT_EQ(*a.data(0, 1), 'x');
    IncrementalBuffer c;
    c = a;
    EXPECT_TRUE(c == a);
    c.append(c);
    EXPECT_EQ(c.size(), 6u);
    EXPECT_EQ(std::memcmp(c.data(), "xyzxyz", 6), 0);
}

TEST(BufferBounds, TestedAccessAllowsTheEndAndRefusesBeyond) {
    IncrementalBuffer buffer(0, 10);
    EXPECT_NO_THROW(buffer.data(10, 0));
    EXPECT_NO_THROW(buffer.data(0, 10));
    try {
        buffer.data(10, 1);
        FAIL();
    } catch (const BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 11u);
        EXPECT_EQ(e.bound(), 10u);
    }
}

TEST(BufferBounds, OffsetPlusLengthThatWrapsIsRefused) {
    IncrementalBuffer buffer(0, 0x40);
    EXPECT_THROW(buffer.data(0xFFFFFFF0u, 0x20), BoundException<unsigned int>);
    EXPECT_THROW(buffer.data(0x20, 0xFFFFFFF0u), BoundException<unsigned int>);
    const Buffer& constant = buffer;
    EXPECT_THROW(constant.data(0xFFFFFFFFu, 2), BoundException<unsigned int>);
}

TEST(BufferEquality, SizesAndBytesMustMatch) {
    IncrementalBuffer a, b;
    a.assign("ab", 2);
    b.assign("abc", 3);
    EXPECT_FALSE(a == b);
    b.resize(2);
    EXPECT_TRUE(a == b);
    *b.data(1, 1) = 'x';
    EXPECT_FALSE(a == b);
    IncrementalBuffer e1, e2;
    EXPECT_TRUE(e1 == e2);
}

TEST(BorrowConstBuffer, ReadsButRefusesEveryMutableAccess) {
    const char text[] = "const";
    BorrowConstBuffer buffer(text, 5);
    const Buffer& view = buffer;
    EXPECT_EQ(*view.data(4, 1), 't');
    EXPECT_THROW(buffer.data(), AccessException);
    EXPECT_THROW(buffer.data(1u), AccessException);
    EXPECT_THROW(buffer.data(1, 1), AccessException);
    IncrementalBuffer copy;
    copy = buffer;
    EXPECT_TRUE(copy == buffer);
}

TEST(ArrayBuffer, HoldsItsBytesInline) {
    ArrayBuffer<8> buffer;
    EXPECT_EQ(buffer.size(), 8u);
    EXPECT_THROW(buffer.data(5, 4), BoundException<unsigned int>);
}

TEST(RingIndex, WrapsOffsetsAndCutsLengths) {
    std::uint32_t length = 5;
    EXPECT_EQ(RingIndex::of(11, length, 5), 1u);
    EXPECT_EQ(length, 4u);
    length = 2;
    EXPECT_EQ(RingIndex::of(3, length, 5), 3u);
    EXPECT_EQ(length, 2u);
    length = 6;
    EXPECT_THROW(RingIndex::of(0, length, 5), BoundException<unsigned int>);
}
