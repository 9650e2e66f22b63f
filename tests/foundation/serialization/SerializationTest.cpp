#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/STLMapSerializable.h"
#include "foundation/serialization/STLVectorSerializable.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/serialization/SwapEndianess.h"
#include "foundation/streams/ArrayBuffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/SizeMeasureWriteStream.h"
#include "foundation/streams/StreamException.h"
#include "support/Command.h"

using namespace TAVO;
using KestruneTest::Command;

namespace {

// A record with one field of every slot.
struct EverySlot : Serializable {
    std::string text = "hé!";
    IncrementalBuffer bytes;
    bool yes = true, no = false;
    double d = -1.0 / 3.0;
    float f = 3.25f;
    unsigned char uc = 0xAB;
    signed char sc = -5;
    unsigned short us = 0xBEEF;
    short s = -1234;
    unsigned long long ull = 0x0123456789ABCDEFull;
    long long ll = -0x123456789LL;
    unsigned int ui = 0xDEADBEEFu;
    int i = -42;

    EverySlot() { bytes.assign("\x01\x02\x03", 3); }

    void serialize(Serialization& s) override {
        s.serialize(text).serialize(bytes).serialize(yes).serialize(no).serialize(d).serialize(f);
        s.serialize(uc).serialize(sc).serialize(us).serialize(this->s).serialize(ull).serialize(ll);
        s.serialize(ui).serialize(i);
    }
};

struct Swapped : Serializable {
    EverySlot inner;
    void serialize(Serialization& s) override {
        SwapEndianess swap(s);
        inner.serialize(swap);
    }
};

std::string hexOf(const Buffer& buffer) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint32_t k = 0; k < buffer.size(); ++k) {
        out += digits[buffer.data()[k] >> 4];
        out += digits[buffer.data()[k] & 15];
    }
    return out;
}

IncrementalBuffer written(const Serializable& object) {
    IncrementalBuffer buffer;
    BufferStream stream(buffer);
    Serialization::serialize(object, stream);
    return buffer;
}

std::string pythonHex(const std::string& order) {
    const std::string program =
        "import struct\n"
        "o='" + order + "'\n"
        "t='hé!'.encode('utf-8')\n"
        "b=bytes([1,2,3])\n"
        "out=struct.pack('<I',len(t))+t+struct.pack('<I',len(b))+b+bytes([0xff,0])\n"
        "out+=struct.pack(o+'dfBbHhQqIi',-1.0/3.0,3.25,0xAB,-5,0xBEEF,-1234,0x0123456789ABCDEF,-0x123456789,"
        "0xDEADBEEF,-42)\n"
        "print(out.hex())\n";
    Command::Result result = Command::python(program);
    EXPECT_EQ(result.exitCode, 0);
    return result.output.substr(0, result.output.find('\n'));
}

} // namespace

TEST(SerializationFormat, EverySlotMatchesPythonStructLittleEndian) {
    EXPECT_EQ(hexOf(written(EverySlot())), pythonHex("<"));
}

TEST(SerializationFormat, SwapEndianessSwapsNumbersButNotLengthPrefixes) {
    EXPECT_EQ(hexOf(written(Swapped())), pythonHex(">"));
}

TEST(SerializationFormat, RoundTripsInBothByteOrders) {
    EverySlot original;
    IncrementalBuffer bytes = written(original);
    EverySlot copy;
    copy.text = "something else";
    copy.bytes.clear();
    copy.yes = false;
    copy.d = copy.f = 0;
    copy.ull = 0;
    copy.i = 0;
    ConstBufferStream in(bytes);
    Serialization::deserialize(in, copy);
    EXPECT_EQ(copy.text, original.text);
    EXPECT_TRUE(copy.bytes == original.bytes);
    EXPECT_TRUE(copy.yes);
    EXPECT_EQ(copy.d, original.d);
    EXPECT_EQ(copy.ull, original.ull);
    EXPECT_EQ(copy.i, original.i);
    EXPECT_TRUE(in.atEnd());

    Swapped big;
    IncrementalBuffer swappedBytes = written(big);
    EXPECT_EQ(big.inner.ui, 0xDEADBEEFu) << "writing must leave the value as it was";
    Swapped back;
    back.inner.ui = 0;
    back.inner.ll = 0;
    ConstBufferStream swappedIn(swappedBytes);
    Serialization::deserialize(swappedIn, back);
    EXPECT_EQ(back.inner.ui, 0xDEADBEEFu);
    EXPECT_EQ(back.inner.ll, big.inner.ll);
    EXPECT_EQ(back.inner.f, 3.25f);
}

TEST(SerializationFormat, SmallCases) {
    struct One : Serializable {
        std::string empty;
        bool flag = true;
        void serialize(Serialization& s) override { s.serialize(empty).serialize(flag); }
    };
    EXPECT_EQ(hexOf(written(One())), "00000000ff");

    IncrementalBuffer oneByte;
    oneByte.assign("\x01", 1);
    ConstBufferStream in(oneByte);
    Deserializer reader(in);
    bool flag = false;
    reader.serialize(flag);
    EXPECT_TRUE(flag);

    SizeMeasureWriteStream measure;
    Serializer counter(measure);
    unsigned int a = 1;
    unsigned long long b = 2;
    counter.serialize(a).serialize(b);
    EXPECT_EQ(measure.count(), 12u);
}

TEST(SerializationContainers, VectorsAndMapsWriteACountThenElements) {
    STLVectorSerializable<std::string> empty;
    EXPECT_EQ(hexOf(written(empty)), "00000000");
    STLVectorSerializable<unsigned int> numbers{1, 2};
    EXPECT_EQ(hexOf(written(numbers)), "020000000100000002000000");
    STLMapSerializable<std::string, std::string> map{{"b", "2"}, {"a", "1"}};
    // count, keys in key order, then values in the same order
    EXPECT_EQ(hexOf(written(map)), "02000000" "0100000061" "0100000062" "0100000031" "0100000032");
}

TEST(SerializationContainers, ReadingAMapKeepsExactlyTheStreamKeysAndReusesValues) {
    struct Value : Serializable {
        int number = 0;
        int id = 0;
        void serialize(Serialization& s) override { s.serialize(number); }
    };
    STLMapSerializable<std::string, Value> source;
    source["b"].number = 20;
    source["c"].number = 30;
    IncrementalBuffer bytes = written(source);

    STLMapSerializable<std::string, Value> target;
    target["a"].id = 1;
    target["b"].id = 2;
    ConstBufferStream in(bytes);
    Serialization::deserialize(in, target);
    ASSERT_EQ(target.size(), 2u);
    EXPECT_EQ(target.count("a"), 0u);
    EXPECT_EQ(target["b"].number, 20);
    EXPECT_EQ(target["b"].id, 2) << "the value object under b is read in place";
    EXPECT_EQ(target["c"].number, 30);
}

TEST(SerializationContainers, ReadingAVectorResizesToTheCount) {
    STLVectorSerializable<int> source{7, 8, 9};
    IncrementalBuffer bytes = written(source);
    STLVectorSerializable<int> longer{1, 2, 3, 4, 5};
    ConstBufferStream in(bytes);
    Serialization::deserialize(in, longer);
    EXPECT_EQ(longer, (std::vector<int>{7, 8, 9}));
    STLVectorSerializable<int> shorter;
    ConstBufferStream again(bytes);
    Serialization::deserialize(again, shorter);
    EXPECT_EQ(shorter, (std::vector<int>{7, 8, 9}));
}

namespace {

// A reader that does not know its size and hands out a fixed text.
class Trickle : public ReadStream {
public:
    explicit Trickle(std::string text) : text_(std::move(text)) {}
    void read(void* destination, std::uint64_t count) override {
        if (count > text_.size() - at_)
            throw StreamException(SourceLocation(), "Attempted to read over end of buffer. ");
        std::memcpy(destination, text_.data() + at_, count);
        at_ += count;
    }
    bool atEnd() override { return at_ == text_.size(); }

private:
    std::string text_;
    std::size_t at_ = 0;
};

const std::string hugeLength = std::string("\xFF\xFF\xFF\xFF", 4) + "abcdef";

} // namespace

TEST(HostileLengths, AStringLengthBeyondTheStreamThrowsAtOnce) {
    IncrementalBuffer bytes;
    bytes.assign(hugeLength.data(), 10);
    ConstBufferStream in(bytes);
    Deserializer reader(in);
    std::string text;
    EXPECT_THROW(reader.serialize(text), StreamException);
}

TEST(HostileLengths, ABufferLengthBeyondTheStreamThrowsAtOnce) {
    IncrementalBuffer bytes;
    bytes.assign(hugeLength.data(), 10);
    ConstBufferStream in(bytes);
    Deserializer reader(in);
    IncrementalBuffer target;
    EXPECT_THROW(reader.serialize(target), StreamException);
    EXPECT_LT(target.capacity(), 1u << 20);
    ArrayBuffer<3> fixed;
    ConstBufferStream again(bytes);
    Deserializer fixedReader(again);
    EXPECT_THROW(fixedReader.serialize(fixed), StreamException);
}

TEST(HostileLengths, StreamsOfUnknownSizeGrowOnlyAsDataArrives) {
    Trickle stringStream(hugeLength);
    Deserializer reader(stringStream);
    std::string text;
    EXPECT_THROW(reader.serialize(text), StreamException);
    EXPECT_LT(text.capacity(), 1u << 20);

    Trickle bufferStream(hugeLength);
    Deserializer bufferReader(bufferStream);
    IncrementalBuffer target;
    EXPECT_THROW(bufferReader.serialize(target), StreamException);
    EXPECT_LT(target.capacity(), 1u << 20);
}

TEST(HostileLengths, AHugeContainerCountOverShortDataThrowsWithoutAllocatingIt) {
    Trickle vectorStream(hugeLength);
    STLVectorSerializable<unsigned long long> numbers;
    EXPECT_THROW(Serialization::deserialize(vectorStream, numbers), StreamException);
    EXPECT_LT(numbers.capacity(), 1024u);

    IncrementalBuffer bytes;
    bytes.assign(hugeLength.data(), 10);
    ConstBufferStream in(bytes);
    STLMapSerializable<std::string, std::string> map;
    EXPECT_THROW(Serialization::deserialize(in, map), StreamException);
}
