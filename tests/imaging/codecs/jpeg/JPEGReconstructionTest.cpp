// The inverse DCT, the eighth-scale pixel, plane scaling and colour output,
// each against a plain transcription of its formulas written here.

#include <cmath>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/jpeg/BlockReader.h"
#include "imaging/codecs/jpeg/FrameHeader.h"
#include "imaging/codecs/jpeg/InputBuffer.h"

using namespace TAVO;
using namespace TAVO::Migration;
using namespace TAVO::Migration::JPEG;

namespace {

// Zig-zag order of T.81 figure A.6: entry k is the (row, column) index
// 8 v + u of coefficient k.
const int naturalOrder[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                              12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                              35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                              58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The reconstruction written out term by term: weights from the formula,
// each sample summed over k = 0..63 from 0.0, + 128.5, clamped, truncated.
void directReconstruction(const short* coefficients, const unsigned char* quantization, unsigned char* out) {
    short dequantized[64];
    for (int k = 0; k < 64; ++k)
        dequantized[k] = short(std::uint16_t(coefficients[k] * quantization[k]));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const float a = (float(x) + 0.5f) * 3.1415927f * 0.125f;
            const float b = (float(y) + 0.5f) * 3.1415927f * 0.125f;
            float sum = 0.0f;
            for (int k = 0; k < 64; ++k) {
                const int u = naturalOrder[k] % 8, v = naturalOrder[k] / 8;
                const float cu = u == 0 ? 0.70710677f : 1.0f, cv = v == 0 ? 0.70710677f : 1.0f;
                const float weight = std::cos(float(u) * a) * cu * 0.25f * (cv * std::cos(float(v) * b));
                sum += float(dequantized[k]) * weight;
            }
            float value = sum + 128.5f;
            value = value < 0.0f ? 0.0f : value > 255.0f ? 255.0f : value;
            out[8 * y + x] = (unsigned char)(int)value;
        }
}

// A reader over no input with one grey frame of the given size whose
// quantization table 0 holds `quantization`.
struct Reconstruction {
    IncrementalBuffer empty;
    ConstBufferStream stream{empty};
    InputBuffer input{stream};
    BlockReader reader{input};

    Reconstruction(const unsigned char* quantization, unsigned width = 8, unsigned height = 8) {
        QuantizationTable table;
        std::memcpy(table.values, quantization, 64);
        reader.storeQuantizationTable(table);
        FrameHeader frame;
        frame.precision = 8;
        frame.width = (unsigned short)width;
        frame.height = (unsigned short)height;
        frame.components.resize(1);
        frame.components[0].id = 1;
        frame.components[0].sampling = 0x11;
        reader.startFrame(frame, false, false);
    }
    // Reconstructs one block into an 8 x 8 plane.
    Signal<2, unsigned char> block(const short* coefficients) {
        Signal<2, unsigned char> plane;
        plane.resize(Tuple<2, unsigned int>(8u, 8u), false);
        short copy[64];
        std::memcpy(copy, coefficients, sizeof copy);
        reader.reconstructBlock(0, plane, Tuple<2, unsigned int>(0u, 0u), copy);
        return plane;
    }
    // Reconstructs a block given by its listed terms into an 8 x 8 plane.
    Signal<2, unsigned char> terms(const short* coefficients, const unsigned char* positions, unsigned count) {
        Signal<2, unsigned char> plane;
        plane.resize(Tuple<2, unsigned int>(8u, 8u), false);
        reader.reconstructTerms(0, plane, Tuple<2, unsigned int>(0u, 0u), coefficients, positions, count);
        return plane;
    }
};

} // namespace

TEST(JPEGReconstruction, KernelsHoldTheFormulaAtZigZagPositions) {
    const SignalFilterKernel<float>::Dct<2> dct;
    ASSERT_EQ(dct.kernels().size(), 64u);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(SignalFilterKernel<float>::Dct<2>::zigZag(unsigned(naturalOrder[k] % 8), unsigned(naturalOrder[k] / 8)),
                  unsigned(k));
    // Kernel of sample (3, 5), coefficient (u, v) = (2, 1), at zig-zag position 7.
    const float a = (3.0f + 0.5f) * 3.1415927f * 0.125f, b = (5.0f + 0.5f) * 3.1415927f * 0.125f;
    EXPECT_EQ(dct.kernels()[3 + 8 * 5].data()[7], std::cos(2.0f * a) * 1.0f * 0.25f * (1.0f * std::cos(1.0f * b)));
}

TEST(JPEGReconstruction, FastTransformEqualsTheDirectSumBitForBit) {
    std::mt19937 random(7);
    unsigned char quantization[64];
    for (int round = 0; round < 3000; ++round) {
        for (unsigned char& q : quantization)
            q = (unsigned char)(round % 3 == 0 ? 1 + random() % 4 : 1 + random() % 255);
        short coefficients[64] = {};
        // Sparse and dense blocks, small and large values (clamping, wrapping).
        const int nonZero = round % 5 == 0 ? 64 : int(random() % 12);
        const int magnitude = round % 7 == 0 ? 2000 : round % 2 ? 60 : 8;
        for (int i = 0; i < nonZero; ++i)
            coefficients[random() % 64] = short(int(random() % (2 * magnitude + 1)) - magnitude);
        if (round % 4 == 0) {
            std::memset(coefficients + 1, 0, 63 * sizeof(short));  // DC only
            coefficients[0] = short(int(random() % 4001) - 2000);
        }
        Reconstruction reconstruction(quantization);
        const Signal<2, unsigned char> fast = reconstruction.block(coefficients);
        unsigned char direct[64];
        directReconstruction(coefficients, quantization, direct);
        ASSERT_EQ(0, std::memcmp(fast.data(), direct, 64)) << "round " << round;
    }
}

TEST(JPEGReconstruction, ConstantBlocks) {
    unsigned char ones[64];
    std::memset(ones, 1, 64);
    Reconstruction reconstruction(ones);
    short coefficients[64] = {};
    Signal<2, unsigned char> plane = reconstruction.block(coefficients);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(plane.data()[i], 128);
    coefficients[0] = 8;
    plane = reconstruction.block(coefficients);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(plane.data()[i], 129);
    EXPECT_EQ(reconstruction.reader.dcPixel(0, 8), 129);
    EXPECT_EQ(reconstruction.reader.dcPixel(0, 0), 128);
    EXPECT_EQ(reconstruction.reader.dcPixel(0, 2000), 255);
    EXPECT_EQ(reconstruction.reader.dcPixel(0, -2000), 0);
}

TEST(JPEGReconstruction, DequantizedProductsWrapToSixteenBits) {
    unsigned char quantization[64];
    std::memset(quantization, 200, 64);
    Reconstruction reconstruction(quantization);
    short coefficients[64] = {200};
    short copy[64];
    std::memcpy(copy, coefficients, sizeof copy);
    Signal<2, unsigned char> plane;
    plane.resize(Tuple<2, unsigned int>(8u, 8u), false);
    reconstruction.reader.reconstructBlock(0, plane, Tuple<2, unsigned int>(0u, 0u), copy);
    EXPECT_EQ(copy[0], -25536);  // dequantized in place
    EXPECT_EQ(plane.data()[0], 0);
    EXPECT_EQ(reconstruction.reader.dcPixel(0, 200), 0);  // -25536 / 8 + 128.5, clamped
}

TEST(JPEGReconstruction, BlocksAreClippedAtThePlaneEdges) {
    unsigned char ones[64];
    std::memset(ones, 1, 64);
    Reconstruction reconstruction(ones, 17, 17);
    Signal<2, unsigned char> plane;
    plane.resize(Tuple<2, unsigned int>(17u, 17u), false);
    plane.fill(7);
    short coefficients[64] = {80};  // 10 + 128.5
    short copy[64];
    std::memcpy(copy, coefficients, sizeof copy);
    reconstruction.reader.reconstructBlock(0, plane, Tuple<2, unsigned int>(16u, 16u), copy);
    for (unsigned y = 0; y < 17; ++y)
        for (unsigned x = 0; x < 17; ++x)
            EXPECT_EQ(plane.data()[y * 17 + x], x == 16 && y == 16 ? 138 : 7);
    std::memcpy(copy, coefficients, sizeof copy);
    reconstruction.reader.reconstructBlock(0, plane, Tuple<2, unsigned int>(24u, 0u), copy);  // wholly outside
    EXPECT_EQ(plane.data()[16], 7);
}

namespace {

// Bilinear sampling as written, a sample outside the plane counting 0.
float sampleBilinear(const std::vector<unsigned char>& s, unsigned sw, unsigned sh, float px, float py) {
    const int x0 = int(px), y0 = int(py);
    const float ax = px - float(x0), ay = py - float(y0);
    auto at = [&](int x, int y) { return x < int(sw) && y < int(sh) ? float(s[std::size_t(y) * sw + x]) : 0.0f; };
    const float top = (1 - ax) * at(x0, y0) + at(x0 + 1, y0) * ax;
    return (1 - ay) * top + ((1 - ax) * at(x0, y0 + 1) + at(x0 + 1, y0 + 1) * ax) * ay;
}

// The corner-aligned scaling written per target sample; a dimension whose
// size does not change maps each sample onto itself.
std::vector<unsigned char> directScale(const std::vector<unsigned char>& s, unsigned sw, unsigned sh, unsigned tw,
                                       unsigned th) {
    std::vector<unsigned char> t(std::size_t(tw) * th);
    const float fx = tw > 1 ? float(sw - 1) * (1.0f / float(tw - 1)) : 0.0f;
    const float fy = th > 1 ? float(sh - 1) * (1.0f / float(th - 1)) : 0.0f;
    for (unsigned y = 0; y < th; ++y)
        for (unsigned x = 0; x < tw; ++x) {
            const float px = sw == tw ? float(x) : fx * float(x);
            const float py = sh == th ? float(y) : fy * float(y);
            t[std::size_t(y) * tw + x] = (unsigned char)(int)sampleBilinear(s, sw, sh, px, py);
        }
    return t;
}

Signal<2, unsigned char> plane(unsigned w, unsigned h, const std::vector<unsigned char>& samples) {
    Signal<2, unsigned char> signal;
    signal.resize(Tuple<2, unsigned int>(w, h), false);
    std::copy(samples.begin(), samples.end(), signal.data());
    return signal;
}

} // namespace

TEST(JPEGReconstruction, UpsamplingMatchesBilinearSamplingPerPixel) {
    std::mt19937 random(3);
    const unsigned sizes[][4] = {{8, 8, 16, 16},    {9, 9, 17, 17},   {800, 4, 1600, 7}, {960, 3, 1920, 6},
                                 {5, 7, 5, 13},     {7, 5, 13, 5},    {3, 1, 5, 1},      {1, 3, 1, 5},
                                 {2, 2, 3, 3},      {13, 11, 50, 41}, {4, 4, 8, 7},      {1, 1, 4, 4}};
    for (const auto& size : sizes) {
        std::vector<unsigned char> source(std::size_t(size[0]) * size[1]);
        for (unsigned char& s : source)
            s = (unsigned char)random();
        Signal<2, unsigned char> target;
        target.resize(Tuple<2, unsigned int>(size[2], size[3]), false);
        BlockReader::upsampleComponent(plane(size[0], size[1], source), target);
        const auto expected = directScale(source, size[0], size[1], size[2], size[3]);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), target.data()))
            << size[0] << "x" << size[1] << " to " << size[2] << "x" << size[3];
    }
}

TEST(JPEGReconstruction, UpsamplingCornersAndKnownWeights) {
    // A 16-pixel-wide picture from 8 chroma samples: target 1 mixes source 0
    // and 1 with 8/15 and 7/15.
    std::vector<unsigned char> source(8 * 2);
    source[0] = 200;
    source[1] = 50;
    Signal<2, unsigned char> target;
    target.resize(Tuple<2, unsigned int>(16u, 2u), false);
    BlockReader::upsampleComponent(plane(8, 2, source), target);
    EXPECT_EQ(target.data()[0], 200);
    EXPECT_NEAR(target.data()[1], (200.0 * 8 + 50.0 * 7) / 15, 1.0);
    // A side that keeps its size copies its lines unmixed: each target row is
    // exactly the horizontal scaling of its own source row.
    std::vector<unsigned char> rows(1600 / 2 * 3);
    for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 800; ++x)
            rows[y * 800 + x] = (unsigned char)(y * 100);
    Signal<2, unsigned char> wide;
    wide.resize(Tuple<2, unsigned int>(1600u, 3u), false);
    BlockReader::upsampleComponent(plane(800, 3, rows), wide);
    for (unsigned y = 0; y < 3; ++y)
        EXPECT_EQ(wide.data()[y * 1600 + 700], y * 100);
}

TEST(JPEGReconstruction, ColourConversionAndBottomUpRows) {
    std::vector<unsigned char> ys, cbs, crs;
    std::mt19937 random(5);
    for (int i = 0; i < 6 * 5; ++i) {
        ys.push_back((unsigned char)random());
        cbs.push_back((unsigned char)random());
        crs.push_back((unsigned char)random());
    }
    ys[0] = 255, cbs[0] = 128, crs[0] = 255;
    IncrementalBuffer buffer;
    ImageMetadata metadata;
    BlockReader::convertYCbCr(plane(6, 5, ys), plane(6, 5, cbs), plane(6, 5, crs), buffer, metadata);
    EXPECT_EQ(metadata.width(), 6u);
    EXPECT_EQ(metadata.height(), 5u);
    EXPECT_EQ(metadata.channels(), 3u);
    EXPECT_EQ(metadata.format(), ImageMetadata::Format::RGBA);
    EXPECT_EQ(metadata.type(), Value(8, Value::Unsigned, 0));
    ASSERT_EQ(buffer.size(), 6u * 5 * 3);
    auto clampByte = [](float v) { return (int)(v < 0 ? 0.0f : v > 255 ? 255.0f : v); };
    for (unsigned y = 0; y < 5; ++y)
        for (unsigned x = 0; x < 6; ++x) {
            const unsigned i = y * 6 + x;
            const float Y = ys[i], Cb = float(cbs[i]) - 128, Cr = float(crs[i]) - 128;
            const unsigned char* pixel = buffer.data() + ((4 - y) * 6 + x) * 3;
            EXPECT_EQ(pixel[0], clampByte(Cr * 1.402f + Y));
            EXPECT_EQ(pixel[1], clampByte((Y - Cb * 0.3441f) - Cr * 0.7141f));
            EXPECT_EQ(pixel[2], clampByte(Cb * 1.772f + Y));
        }
    const unsigned char* first = buffer.data() + 4 * 6 * 3;
    EXPECT_EQ(first[0], 255);
    EXPECT_EQ(first[1], 164);
    EXPECT_EQ(first[2], 255);

    IncrementalBuffer grey;
    BlockReader::outputIntensity(plane(1, 3, {10, 20, 30}), grey, metadata);
    EXPECT_EQ(metadata.channels(), 1u);
    EXPECT_EQ(metadata.format(), ImageMetadata::Format::Intensity);
    ASSERT_EQ(grey.size(), 3u);
    EXPECT_EQ(grey.data()[0], 30);
    EXPECT_EQ(grey.data()[2], 10);
}

TEST(JPEGReconstruction, ListedTermsEqualTheDirectSum) {
    // Blocks given as the positions that may be non-zero: listed zeros, and
    // products that wrap to zero in 16 bits, add nothing.
    std::mt19937 random(11);
    unsigned char quantization[64];
    for (int round = 0; round < 2000; ++round) {
        for (unsigned char& q : quantization)
            q = (unsigned char)(round % 3 == 0 ? 64 : 1 + random() % 255);
        Reconstruction reconstruction(quantization);
        short coefficients[64] = {};
        unsigned char positions[64];
        unsigned count = 0;
        for (unsigned k = 0; k < 64; ++k) {
            const unsigned chance = round % 4 == 0 ? 2 : round % 4 == 1 ? 8 : 60;
            if (random() % 64 >= chance)
                continue;
            positions[count++] = (unsigned char)k;
            const int kind = int(random() % 6);
            coefficients[k] = kind == 0 ? 0 : kind == 1 ? 1024 : short(int(random() % 2047) - 1023);
        }
        short copy[64];
        std::memcpy(copy, coefficients, sizeof copy);
        const Signal<2, unsigned char> plane = reconstruction.terms(copy, positions, count);
        EXPECT_EQ(0, std::memcmp(copy, coefficients, sizeof copy)) << "the coefficients stay as they are";
        unsigned char direct[64];
        directReconstruction(coefficients, quantization, direct);
        ASSERT_EQ(0, std::memcmp(plane.data(), direct, 64)) << "round " << round;
    }
}

TEST(JPEGReconstruction, ListedTermsAreClippedAtThePlaneEdges) {
    unsigned char ones[64];
    std::memset(ones, 1, 64);
    Reconstruction reconstruction(ones, 17, 17);
    Signal<2, unsigned char> plane;
    plane.resize(Tuple<2, unsigned int>(17u, 17u), false);
    plane.fill(7);
    const short coefficients[64] = {80};
    const unsigned char positions[1] = {0};
    reconstruction.reader.reconstructTerms(0, plane, Tuple<2, unsigned int>(16u, 16u), coefficients, positions, 1);
    reconstruction.reader.reconstructTerms(0, plane, Tuple<2, unsigned int>(24u, 0u), coefficients, positions, 1);
    for (unsigned y = 0; y < 17; ++y)
        for (unsigned x = 0; x < 17; ++x)
            EXPECT_EQ(plane.data()[y * 17 + x], x == 16 && y == 16 ? 138 : 7);
}

TEST(JPEGReconstruction, RowByRowOutputEqualsScaledPlanesConverted) {
    // The picture made a row at a time equals the whole chroma planes scaled
    // (checked against bilinear sampling above) and then converted.
    std::mt19937 random(13);
    const unsigned sizes[][4] = {{16, 16, 8, 8},   {17, 17, 9, 9}, {33, 9, 17, 9}, {9, 33, 9, 17},
                                 {5, 5, 5, 5},     {1, 1, 1, 1},   {4001, 3, 2001, 2}, {3, 40, 1, 10},
                                 {640, 480, 320, 240}};
    for (const auto& size : sizes) {
        const unsigned w = size[0], h = size[1], cw = size[2], ch = size[3];
        auto randomPlane = [&](unsigned pw, unsigned ph) {
            std::vector<unsigned char> samples(std::size_t(pw) * ph);
            for (unsigned char& s : samples)
                s = (unsigned char)random();
            return plane(pw, ph, samples);
        };
        const Signal<2, unsigned char> y = randomPlane(w, h), cb = randomPlane(cw, ch), cr = randomPlane(cw, ch);
        const Signal<2, unsigned char>* planes[3] = {&y, &cb, &cr};
        IncrementalBuffer rows;
        ImageMetadata rowsMetadata;
        BlockReader::output(planes, 3, Tuple<2, unsigned int>(w, h), rows, rowsMetadata);

        Signal<2, unsigned char> fullCb, fullCr;
        fullCb.resize(Tuple<2, unsigned int>(w, h), false);
        fullCr.resize(Tuple<2, unsigned int>(w, h), false);
        BlockReader::upsampleComponent(cb, fullCb);
        BlockReader::upsampleComponent(cr, fullCr);
        IncrementalBuffer whole;
        ImageMetadata wholeMetadata;
        BlockReader::convertYCbCr(y, fullCb, fullCr, whole, wholeMetadata);

        EXPECT_EQ(rowsMetadata.width(), w);
        EXPECT_EQ(rowsMetadata.height(), h);
        ASSERT_EQ(rows.size(), whole.size());
        EXPECT_EQ(0, std::memcmp(rows.data(), whole.data(), whole.size())) << w << "x" << h << " from " << cw << "x"
                                                                           << ch;
    }
}
