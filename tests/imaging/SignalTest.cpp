#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageMetadata.h"
#include "imaging/ImageSignal.h"
#include "imaging/SignalOperations.h"
#include "imaging/SignalSizeException.h"

using namespace TAVO;

// The reference implementations below work coordinate by coordinate on plain
// vectors, independently of the run-based code under test.
namespace {

using Bytes = std::vector<unsigned char>;
using Size3 = Tuple<3, unsigned int>;

struct Picture {
    std::uint32_t c, w, h;
    Bytes bytes;
    unsigned char at(std::int64_t ch, std::int64_t x, std::int64_t y) const {
        return bytes[std::size_t(ch + c * (x + std::int64_t(w) * y))];
    }
};

Picture randomPicture(std::uint32_t c, std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
    std::mt19937 random(seed);
    Picture p{c, w, h, Bytes(std::size_t(c) * w * h)};
    for (auto& b : p.bytes)
        b = static_cast<unsigned char>(random());
    return p;
}

Signal<3, unsigned char> toSignal(const Picture& p) {
    Signal<3, unsigned char> s;
    s.resize(Size3(p.c, p.w, p.h), false);
    std::copy(p.bytes.begin(), p.bytes.end(), s.data());
    return s;
}

Bytes bytesOf(const SignalBase<3, unsigned char, unsigned char*>& s) { return Bytes(s.data(), s.data() + s.count()); }

// 1 4 6 4 1 halving of one line, by the formula.
std::vector<int> referenceHalveLine(const std::vector<int>& in) {
    const std::size_t m = in.size() / 2;
    std::vector<int> out(m);
    out[0] = (6 * in[0] + 4 * in[1] + in[2]) / 11;
    for (std::size_t n = 1; n + 1 < m; ++n)
        out[n] = (in[2 * n - 2] + 4 * in[2 * n - 1] + 6 * in[2 * n] + 4 * in[2 * n + 1] + in[2 * n + 2]) / 16;
    out[m - 1] = (in[2 * m - 4] + 4 * in[2 * m - 3] + 6 * in[2 * m - 2]) / 11;
    return out;
}

Picture referenceHalve(const Picture& p, int axis) {
    Picture out{p.c, axis == 0 ? p.w / 2 : p.w, axis == 1 ? p.h / 2 : p.h, {}};
    out.bytes.assign(std::size_t(out.c) * out.w * out.h, 0);
    const std::uint32_t lines = axis == 0 ? p.h : p.w;
    const std::uint32_t length = axis == 0 ? p.w : p.h;
    for (std::uint32_t line = 0; line < lines; ++line)
        for (std::uint32_t ch = 0; ch < p.c; ++ch) {
            std::vector<int> in(length);
            for (std::uint32_t i = 0; i < length; ++i)
                in[i] = axis == 0 ? p.at(ch, i, line) : p.at(ch, line, i);
            const std::vector<int> halved = referenceHalveLine(in);
            for (std::uint32_t i = 0; i < halved.size(); ++i) {
                const std::size_t x = axis == 0 ? i : line, y = axis == 0 ? line : i;
                out.bytes[ch + out.c * (x + out.w * y)] = static_cast<unsigned char>(halved[i]);
            }
        }
    return out;
}

float referenceSample(const Picture& p, std::uint32_t ch, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= p.w || y >= p.h)
        return 0.0f;
    return p.at(ch, x, y);
}

float referenceBilinear(const Picture& p, std::uint32_t ch, float x, float y) {
    const float x0 = std::trunc(x), y0 = std::trunc(y);
    const float fx = x - x0, fy = y - y0;
    const auto ix = std::int64_t(x0), iy = std::int64_t(y0);
    const float top = (1 - fx) * referenceSample(p, ch, ix, iy) + fx * referenceSample(p, ch, ix + 1, iy);
    const float bottom = (1 - fx) * referenceSample(p, ch, ix, iy + 1) + fx * referenceSample(p, ch, ix + 1, iy + 1);
    return (1 - fy) * top + fy * bottom;
}

Picture referenceScale(const Picture& p, std::uint32_t w, std::uint32_t h) {
    Picture out{p.c, w, h, Bytes(std::size_t(p.c) * w * h)};
    const float sx = float(p.w - 1) * (1.0f / float(w - 1));
    const float sy = float(p.h - 1) * (1.0f / float(h - 1));
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            for (std::uint32_t ch = 0; ch < p.c; ++ch) {
                const float v = referenceBilinear(p, ch, float(x) * sx, float(y) * sy);
                out.bytes[ch + p.c * (x + std::size_t(w) * y)] =
                    static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return out;
}

} // namespace

// ---- Sizes, views and access -------------------------------------------------

TEST(SignalTest, ResizeKeepsOrReplacesStorage) {
    Picture p = randomPicture(3, 4, 4, 1);
    Signal<3, unsigned char> s = toSignal(p);
    const unsigned char* before = s.data();
    s.resize(Size3(3, 2, 8), true);
    EXPECT_EQ(s.data(), before); // equal count: same storage, same bytes
    EXPECT_EQ(bytesOf(s), p.bytes);
    s.resize(Size3(3, 4, 5), true);
    EXPECT_EQ(s.count(), 60u);
    EXPECT_TRUE(std::equal(p.bytes.begin(), p.bytes.end(), s.data()));
    s.resize(Size3(0, 4, 5), true);
    EXPECT_EQ(s.count(), 0u);
    EXPECT_EQ(s.data(), nullptr);
}

TEST(SignalTest, CountsBeyond32BitsAreRefused) {
    Signal<3, unsigned char> s;
    s.resize(Size3(3, 2, 2), false);
    EXPECT_THROW(s.resize(Size3(65536, 65536, 2), false), BoundException<unsigned long long>);
    EXPECT_EQ(s.count(), 12u); // unchanged
    EXPECT_EQ(s.size(), Size3(3, 2, 2));
    EXPECT_THROW(resizeKeeping(s, Size3(70000, 70000, 1)), BoundException<unsigned long long>);
    EXPECT_EQ(s.size(), Size3(3, 2, 2));
    // A zero component makes the product 0 whatever the others are.
    EXPECT_EQ((SignalBase<3, unsigned char, unsigned char*>::countOf(Size3(0, 0xFFFFFFFFu, 0xFFFFFFFFu))), 0u);
}

TEST(SignalTest, ReshapeOfViewsStaysInCapacity) {
    unsigned char bytes[48] = {};
    SignalBorrow<3, unsigned char> view(bytes, Size3(3, 4, 4));
    try {
        view.reshape(Size3(3, 4, 5));
        FAIL();
    } catch (const SpaceException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 60u);
        EXPECT_EQ(e.bound(), 48u);
    }
    view.reshape(Size3(4, 4, 3));
    EXPECT_EQ(view.data(), bytes);
    SignalConstBorrow<3, unsigned char> constant(bytes, Size3(2, 2, 2));
    EXPECT_THROW(constant.reshape(Size3(65536, 65536, 65536)), SpaceException<unsigned int>);
}

TEST(SignalTest, CheckedIndexReportsTheLastFailingDimension) {
    Signal<2, unsigned char> s;
    s.resize(Tuple<2, unsigned int>(4, 5), false);
    auto expectBound = [&](int x, int y, int value, int bound) {
        try {
            s.checkedIndex(Tuple<2, int>(x, y));
            FAIL();
        } catch (const BoundException<int>& e) {
            EXPECT_EQ(e.value(), value);
            EXPECT_EQ(e.bound(), bound);
        }
    };
    expectBound(-1, 0, -1, 0);
    expectBound(0, 5, 5, 5);
    expectBound(-1, 5, 5, 5);
    EXPECT_EQ(s.checkedIndex(Tuple<2, int>(3, 4)), 19u);
    std::uint32_t index = 7;
    EXPECT_FALSE(s.testedIndex(Tuple<2, int>(4, 0), index));
    s.setSample(Tuple<2, int>(1, 2), 42);
    EXPECT_EQ(s.sample(Tuple<2, int>(1, 2)), 42);
    EXPECT_EQ(s.sample(Tuple<2, int>(-1, 2)), 0);
}

TEST(SignalTest, SerializationRoundTripAndStorageCheck) {
    Signal<2, float> s;
    s.resize(Tuple<2, unsigned int>(3, 2), false);
    for (std::uint32_t i = 0; i < 6; ++i)
        s[i] = float(i) * 1.5f;
    IncrementalBuffer bytes;
    BufferStream out(bytes);
    Serialization::serialize(s, out);
    EXPECT_EQ(bytes.size(), 8u + 6u * 4u);

    Signal<2, float> same;
    same.resize(Tuple<2, unsigned int>(6, 1), false);
    ConstBufferStream in(bytes);
    Serialization::deserialize(in, same);
    EXPECT_EQ(same.size(), (Tuple<2, unsigned int>(3, 2)));
    EXPECT_FLOAT_EQ(same[5], 7.5f);

    // Too little storage: refused before anything is read into it.
    Signal<2, float> small;
    small.resize(Tuple<2, unsigned int>(2, 2), false);
    ConstBufferStream again(bytes);
    EXPECT_THROW(Serialization::deserialize(again, small), SpaceException<unsigned long long>);
    EXPECT_EQ(small.size(), (Tuple<2, unsigned int>(2, 2)));

    // A hostile stored size on a view.
    const unsigned char hostile[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    IncrementalBuffer hostileBytes;
    hostileBytes.assign(hostile, sizeof hostile);
    unsigned char storage[4];
    SignalBorrow<2, unsigned char> view(storage, Tuple<2, unsigned int>(2, 2));
    ConstBufferStream hostileIn(hostileBytes);
    EXPECT_THROW(Serialization::deserialize(hostileIn, view), SpaceException<unsigned long long>);
}

TEST(SignalTest, ImageSignalChecksMetadataAndBuffer) {
    Migration::ImageMetadata m(3, 2, 3, 24);
    IncrementalBuffer buffer(0, 18);
    const Migration::ImageSignal<unsigned char> view(m, buffer);
    EXPECT_EQ(view.size(), Size3(3, 3, 2));
    EXPECT_EQ(view.data(), buffer.data());

    IncrementalBuffer tooSmall(0, 17);
    EXPECT_THROW((Migration::ImageSignal<unsigned char>(m, tooSmall)), SpaceException<unsigned long long>);

    Migration::ImageMetadata padded = m;
    padded.setLineAlignment(32); // 72 bits a row: not a multiple of 32
    EXPECT_THROW((Migration::ImageSignal<unsigned char>(padded, buffer)), SupportException);
    padded.setLineAlignment(8);
    EXPECT_NO_THROW((Migration::ImageSignal<unsigned char>(padded, buffer)));
    padded.setPixelAlignment(32);
    EXPECT_THROW((Migration::ImageSignal<unsigned char>(padded, buffer)), SupportException);

    Migration::ImageMetadata wide(3, 2, 3, 48);
    EXPECT_THROW((Migration::ImageSignal<unsigned char>(wide, buffer)), UnexpectedValueException);

    Migration::ImageMetadata huge(65536, 65536, 3, 24);
    EXPECT_THROW((Migration::ImageSignal<unsigned char>(huge, buffer)), BoundException<unsigned long long>);
}

// ---- Region copy, paste and reordering -----------------------------------

TEST(SignalTest, CopyRegionMatchesReference) {
    const Picture p = randomPicture(3, 7, 5, 2);
    const Signal<3, unsigned char> s = toSignal(p);
    for (int x0 = 0; x0 < 7; ++x0)
        for (int y0 = 0; y0 < 5; ++y0) {
            const Size3 size(2, 7 - x0, 5 - y0);
            Signal<3, unsigned char> target;
            copyRegion(s, Tuple<3, int>(1, x0, y0), size, target);
            ASSERT_EQ(target.size(), size);
            for (std::uint32_t y = 0; y < size[2]; ++y)
                for (std::uint32_t x = 0; x < size[1]; ++x)
                    for (std::uint32_t c = 0; c < 2; ++c)
                        ASSERT_EQ(target.sample(Tuple<3, int>(c, x, y)), p.at(c + 1, x0 + x, y0 + y));
        }
}

TEST(SignalTest, RegionBoundsAreTestedFirst) {
    const Signal<3, unsigned char> s = toSignal(randomPicture(3, 4, 4, 3));
    Signal<3, unsigned char> target;
    target.resize(Size3(1, 1, 1), false);
    EXPECT_NO_THROW(copyRegion(s, Tuple<3, int>(0, 1, 1), Size3(3, 2, 2), target));
    try {
        copyRegion(s, Tuple<3, int>(0, 3, 0), Size3(3, 2, 4), target);
        FAIL();
    } catch (const BoundException<int>& e) {
        EXPECT_EQ(e.value(), 3);
        EXPECT_EQ(e.bound(), 2);
    }
    EXPECT_THROW(copyRegion(s, Tuple<3, int>(0, -1, 0), Size3(3, 2, 2), target), BoundException<int>);
    // A region larger than the source: the bound goes negative instead of wrapping.
    try {
        copyRegion(s, Tuple<3, int>(0, 0, 0), Size3(3, 0x80000005u, 1), target);
        FAIL();
    } catch (const BoundException<int>& e) {
        EXPECT_EQ(e.value(), 0);
        EXPECT_LT(e.bound(), 0);
    }
    EXPECT_EQ(target.size(), Size3(3, 2, 2));
    Signal<3, unsigned char> big;
    big.resize(Size3(3, 4, 4), false);
    big.fill(9);
    EXPECT_THROW(paste(big, Tuple<3, int>(0, 3, 3), target), BoundException<int>);
    EXPECT_THROW(paste(big, Tuple<3, int>(0, 0, 0x7FFFFFFF), target), BoundException<int>);
    EXPECT_EQ(bytesOf(big), Bytes(48, 9)); // nothing was written
}

TEST(SignalTest, PasteMatchesReference) {
    const Picture small = randomPicture(2, 3, 2, 4);
    const Picture background = randomPicture(2, 6, 5, 5);
    for (int x0 = 0; x0 <= 3; ++x0)
        for (int y0 = 0; y0 <= 3; ++y0) {
            Signal<3, unsigned char> target = toSignal(background);
            paste(target, Tuple<3, int>(0, x0, y0), toSignal(small));
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 6; ++x)
                    for (int c = 0; c < 2; ++c) {
                        const bool inside = x >= x0 && x < x0 + 3 && y >= y0 && y < y0 + 2;
                        ASSERT_EQ(target.sample(Tuple<3, int>(c, x, y)),
                                  inside ? small.at(c, x - x0, y - y0) : background.at(c, x, y));
                    }
        }
}

TEST(SignalTest, ReorderMatchesReferencePermutation) {
    const Picture p = randomPicture(3, 4, 5, 6);
    const std::uint32_t orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const std::uint32_t original[3] = {3, 4, 5};
    for (const auto& order : orders) {
        Signal<3, unsigned char> s = toSignal(p);
        reorder(s, Size3(order[0], order[1], order[2]));
        ASSERT_EQ(s.size(), Size3(original[order[0]], original[order[1]], original[order[2]]));
        // New coordinate i along dimension d is the old coordinate along order[d].
        for (int a = 0; a < int(s.size()[0]); ++a)
            for (int b = 0; b < int(s.size()[1]); ++b)
                for (int c = 0; c < int(s.size()[2]); ++c) {
                    int old[3];
                    old[order[0]] = a;
                    old[order[1]] = b;
                    old[order[2]] = c;
                    ASSERT_EQ(s.sample(Tuple<3, int>(a, b, c)), p.at(old[0], old[1], old[2]));
                }
    }
}

TEST(SignalTest, ReorderAndSwapRefuseBadDimensions) {
    Signal<3, unsigned char> s = toSignal(randomPicture(3, 2, 2, 7));
    const Bytes before = bytesOf(s);
    try {
        reorder(s, Size3(0, 0, 1));
        FAIL();
    } catch (const UnexpectedValueException& e) {
        EXPECT_EQ(e.message(), "order tuple is not a tuple with all dimensions represented. ");
    }
    EXPECT_THROW(reorder(s, Size3(0, 1, 3)), UnexpectedValueException);
    EXPECT_THROW(swapDimensions(s, 0, 3), BoundException<unsigned int>);
    EXPECT_EQ(bytesOf(s), before);
    reorder(s, Size3(1, 2, 0));
    EXPECT_EQ(s.size(), Size3(2, 2, 3));
}

// ---- Resizing with kept content ---------------------------------------------

TEST(SignalTest, ResizeKeepingMatchesReference) {
    const std::uint32_t sizes[][3] = {{3, 4, 4}, {3, 2, 8}, {3, 8, 2}, {3, 5, 5}, {2, 4, 4}, {4, 4, 4},
                                      {3, 4, 6}, {1, 7, 3}, {4, 1, 9}, {3, 4, 1}, {5, 3, 2}};
    for (const auto& from : sizes)
        for (const auto& to : sizes) {
            const Picture p = randomPicture(from[0], from[1], from[2], 8);
            Signal<3, unsigned char> s = toSignal(p);
            resizeKeeping(s, Size3(to[0], to[1], to[2]));
            ASSERT_EQ(s.size(), Size3(to[0], to[1], to[2]));
            for (std::uint32_t z = 0; z < std::min(from[2], to[2]); ++z)
                for (std::uint32_t y = 0; y < std::min(from[1], to[1]); ++y)
                    for (std::uint32_t x = 0; x < std::min(from[0], to[0]); ++x)
                        ASSERT_EQ(s.sample(Tuple<3, int>(x, y, z)), p.at(x, y, z))
                            << from[0] << "x" << from[1] << "x" << from[2] << " -> " << to[0] << "x" << to[1] << "x"
                            << to[2];
        }
}

TEST(SignalTest, ResizeKeepingTwoDimensionalCases) {
    // (2, 8) -> (4, 4), (4, 4) -> (2, 8), (4, 4) -> (6, 2) through (4, 2), on float signals too.
    const unsigned int cases[][4] = {{2, 8, 4, 4}, {4, 4, 2, 8}, {4, 4, 6, 2}, {6, 2, 4, 4}, {3, 3, 0, 3}};
    for (const auto& c : cases) {
        Signal<2, float> s;
        s.resize(Tuple<2, unsigned int>(c[0], c[1]), false);
        for (std::uint32_t i = 0; i < s.count(); ++i)
            s[i] = float(i) + 0.25f;
        resizeKeeping(s, Tuple<2, unsigned int>(c[2], c[3]));
        ASSERT_EQ(s.size(), (Tuple<2, unsigned int>(c[2], c[3])));
        for (std::uint32_t y = 0; y < std::min(c[1], c[3]); ++y)
            for (std::uint32_t x = 0; x < std::min(c[0], c[2]); ++x)
                EXPECT_EQ(s.sample(Tuple<2, int>(x, y)), float(x + c[0] * y) + 0.25f);
    }
}

// ---- Filters --------------------------------------------------------------

TEST(SignalTest, HalveLineByTheKernel) {
    Picture line{1, 8, 1, {10, 20, 30, 40, 50, 60, 70, 80}};
    Signal<3, unsigned char> target;
    halve(toSignal(line), target, 0);
    ASSERT_EQ(target.size(), Size3(1, 4, 1));
    EXPECT_EQ(target[0], (6 * 10 + 4 * 20 + 30) / 11);
    EXPECT_EQ(target[1], (10 + 4 * 20 + 6 * 30 + 4 * 40 + 50) >> 4);
    EXPECT_EQ(target[2], (30 + 4 * 40 + 6 * 50 + 4 * 60 + 70) >> 4);
    EXPECT_EQ(target[3], (50 + 4 * 60 + 6 * 70) / 11);
    Picture constant{1, 8, 1, Bytes(8, 200)};
    halve(toSignal(constant), target, 0);
    EXPECT_EQ(bytesOf(target), Bytes(4, 200));
}

TEST(SignalTest, HalveMatchesReferenceOnOddAndEvenSides) {
    for (std::uint32_t channels = 1; channels <= 4; ++channels)
        for (std::uint32_t w : {4u, 5u, 9u, 12u})
            for (std::uint32_t h : {4u, 7u, 10u})
                for (int axis = 0; axis < 2; ++axis) {
                    const Picture p = randomPicture(channels, w, h, channels * 100 + w * 10 + h);
                    Signal<3, unsigned char> target;
                    halve(toSignal(p), target, axis);
                    const Picture expected = referenceHalve(p, axis);
                    ASSERT_EQ(target.size(), Size3(expected.c, expected.w, expected.h));
                    ASSERT_EQ(bytesOf(target), expected.bytes) << channels << " " << w << "x" << h << " " << axis;
                }
}

TEST(SignalTest, HalveRefusesWhatItCannotFilter) {
    Signal<3, unsigned char> target;
    try {
        halve(toSignal(randomPicture(5, 8, 8, 9)), target, 0);
        FAIL();
    } catch (const SupportException& e) {
        EXPECT_NE(e.message().find("more than 4 channels"), std::string::npos);
    }
    EXPECT_EQ(target.size(), Size3(5, 4, 8)); // resized and cleared before the test
    EXPECT_EQ(bytesOf(target), Bytes(160, 0));
    EXPECT_THROW(halve(toSignal(randomPicture(3, 3, 8, 9)), target, 0), BoundException<unsigned int>);
    EXPECT_THROW(halve(toSignal(randomPicture(3, 8, 2, 9)), target, 1), BoundException<unsigned int>);
    EXPECT_THROW(halve(toSignal(randomPicture(3, 8, 8, 9)), target, 2), BoundException<unsigned int>);
    Signal<3, unsigned char> empty;
    EXPECT_THROW(halve(empty, target, 0), BoundException<unsigned int>);
}

TEST(SignalTest, BilinearSampling) {
    Signal<2, unsigned char> s;
    s.resize(Tuple<2, unsigned int>(4, 1), false);
    s[0] = 0;
    s[1] = 100;
    s[2] = 7;
    s[3] = 90;
    EXPECT_FLOAT_EQ(bilinear(s, 0.5f, 0.0f), 50.0f);
    EXPECT_FLOAT_EQ(bilinear(s, 3.5f, 0.0f), 45.0f); // the missing neighbour counts 0
    EXPECT_FLOAT_EQ(bilinear(s, 1.0f, 0.5f), 50.0f);
    EXPECT_FLOAT_EQ(bilinear(s, 1e30f, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(bilinear(s, std::nanf(""), 0.0f), 0.0f);
}

TEST(SignalTest, SampleGridStoresLowBitsOfTruncatedSamples) {
    Signal<2, unsigned char> source;
    source.resize(Tuple<2, unsigned int>(2, 2), false);
    source[0] = 10;
    source[1] = 20;
    source[2] = 30;
    source[3] = 40;
    Signal<2, unsigned char> target;
    target.resize(Tuple<2, unsigned int>(3, 3), false);
    SignalGridSampler sampler{source, Vector<2, float>(0.5f, 0.5f), Vector<2, float>(0.0f, 0.0f)};
    sampleGrid(target, sampler);
    const Bytes expected = {10, 15, 20, 20, 25, 30, 30, 35, 40};
    EXPECT_EQ(Bytes(target.data(), target.data() + 9), expected);
}

TEST(SignalTest, ScaleMatchesReference) {
    const std::uint32_t cases[][5] = {{3, 17, 11, 5, 4}, {1, 9, 9, 2, 2}, {4, 6, 10, 13, 3}, {3, 2, 2, 7, 7},
                                      {2, 30, 5, 8, 5}};
    for (const auto& c : cases) {
        const Picture p = randomPicture(c[0], c[1], c[2], c[1] * c[2]);
        Signal<3, unsigned char> target;
        target.resize(Size3(c[0], c[3], c[4]), false);
        scale(toSignal(p), target);
        ASSERT_EQ(target.size(), Size3(c[0], c[3], c[4]));
        const Picture expected = referenceScale(p, c[3], c[4]);
        EXPECT_EQ(bytesOf(target), expected.bytes) << c[1] << "x" << c[2] << " -> " << c[3] << "x" << c[4];
        // Corners map onto corners.
        EXPECT_EQ(target[0], p.bytes[0]);
    }
}

TEST(SignalTest, ScaleRefusesSmallTargetsAndEmptySources) {
    Signal<3, unsigned char> target;
    target.resize(Size3(3, 1, 5), false);
    EXPECT_THROW(scale(toSignal(randomPicture(3, 4, 4, 1)), target), BoundException<unsigned int>);
    target.resize(Size3(3, 5, 5), false);
    Signal<3, unsigned char> empty;
    EXPECT_THROW(scale(empty, target), SignalSizeException);
    target.resize(Size3(2, 5, 5), false);
    EXPECT_THROW(scale(toSignal(randomPicture(3, 4, 4, 1)), target), SignalSizeException);
}

TEST(SignalTest, ReduceHalvesThenScales) {
    const Picture p = randomPicture(3, 37, 29, 11);
    SignalReduceWork work;
    work.current() = toSignal(p);
    Signal<3, unsigned char> target;
    target.resize(Size3(3, 8, 6), false);
    reduce(work, target);
    // 37x29 -> 18x29 -> 18x14 (both still at least twice 8x6? 18 >= 16, 14 >= 12) -> 9x14 -> 9x7, then scaled.
    Picture expected = referenceHalve(referenceHalve(p, 0), 1);
    expected = referenceHalve(referenceHalve(expected, 0), 1);
    ASSERT_EQ(expected.w, 9u);
    EXPECT_EQ(bytesOf(target), referenceScale(expected, 8, 6).bytes);

    Signal<3, unsigned char> tiny;
    tiny.resize(Size3(3, 1, 1), false);
    work.current() = toSignal(p);
    EXPECT_THROW(reduce(work, tiny), BoundException<unsigned int>);
}

TEST(SignalTest, MultiplyKeeps16Bits) {
    short values[3] = {100, -3, 300};
    unsigned char factors[3] = {2, 200, 255};
    SignalBorrow<1, short> a(values, Tuple<1, unsigned int>(3u));
    multiply(a, SignalConstBorrow<1, unsigned char>(factors, Tuple<1, unsigned int>(3u)));
    EXPECT_EQ(values[0], 200);
    EXPECT_EQ(values[1], -600);
    EXPECT_EQ(values[2], static_cast<short>(300 * 255));
    EXPECT_THROW(multiply(a, SignalConstBorrow<1, unsigned char>(factors, Tuple<1, unsigned int>(2u))),
                 SignalSizeException);
}
