// A large picture's colours are made in bands of rows side by side: every
// band the rows one pass from the top makes, whatever the number of threads.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <random>
#include <vector>

#include "foundation/platform/NativeMemory.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/threads/ThreadBudget.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/jpeg/BlockReader.h"
#include "imaging/codecs/jpeg/JPEGTestSupport.h"
#include "support/TempFolder.h"

using TAVO::Tuple;
using TAVO::Migration::ImageMetadata;
using TAVO::Migration::JPEG::BlockReader;
using Plane = TAVO::Signal<2, unsigned char>;

namespace {

Plane randomPlane(unsigned width, unsigned height, std::mt19937& random) {
    Plane plane;
    plane.resize(Tuple<2, unsigned int>(width, height), false);
    for (std::size_t i = 0; i < std::size_t(width) * height; ++i)
        plane.data()[i] = static_cast<unsigned char>(random());
    return plane;
}

std::vector<std::uint8_t> colours(const Plane* const planes[], const Tuple<2, unsigned int>& size, unsigned threads) {
    TAVO::IncrementalBuffer buffer;
    ImageMetadata metadata;
    BlockReader::output(planes, 3, size, buffer, metadata, threads);
    EXPECT_EQ(metadata.width(), size[0]);
    EXPECT_EQ(metadata.height(), size[1]);
    EXPECT_EQ(metadata.channels(), 3u);
    const TAVO::Buffer& bytes = buffer;
    return std::vector<std::uint8_t>(bytes.data(), bytes.data() + bytes.size());
}

} // namespace

TEST(JPEGBands, AnyNumberOfBandsMakesTheColoursOfOnePass) {
    std::mt19937 random(17);
    // Odd sizes, chroma halved both ways, across only and not at all.
    const unsigned width = 1101, height = 997;
    const Tuple<2, unsigned int> size(width, height);
    ASSERT_GE(std::uint64_t(width) * height / BlockReader::pixelsPerThread, 4u);
    const Tuple<2, unsigned int> chroma[] = {{551, 499}, {551, 997}, {1101, 997}, {1, 1}};
    for (const auto& c : chroma) {
        const Plane y = randomPlane(width, height, random), cb = randomPlane(c[0], c[1], random),
                    cr = randomPlane(c[0], c[1], random);
        const Plane* planes[3] = {&y, &cb, &cr};
        const std::vector<std::uint8_t> onePass = colours(planes, size, 1);
        ASSERT_EQ(onePass.size(), std::size_t(width) * height * 3);
        for (unsigned threads : {0u, 2u, 3u, 4u, 7u, 1000u})
            EXPECT_TRUE(colours(planes, size, threads) == onePass) << c[0] << "x" << c[1] << ", " << threads << " threads";
    }
}

// A picture of more rows than threads and few columns, and one of one row.
TEST(JPEGBands, ThinPicturesToo) {
    std::mt19937 random(5);
    for (const auto& [width, height] : {std::pair{3u, 200000u}, {300000u, 1u}, {600u, 900u}}) {
        const Tuple<2, unsigned int> size(width, height);
        const Plane y = randomPlane(width, height, random), cb = randomPlane((width + 1) / 2, (height + 1) / 2, random),
                    cr = randomPlane((width + 1) / 2, (height + 1) / 2, random);
        const Plane* planes[3] = {&y, &cb, &cr};
        const std::vector<std::uint8_t> onePass = colours(planes, size, 1);
        EXPECT_TRUE(colours(planes, size, 8) == onePass) << width << "x" << height;
    }
}

namespace {

// The resident pages among the whole pages of a plane's samples (mincore).
std::size_t residentPages(const Plane& plane) {
    const std::size_t page = TAVO::NativeMemory::pageSize();
    const std::uintptr_t start = std::uintptr_t(plane.data());
    const std::uintptr_t begin = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + std::size_t(plane.size()[0]) * plane.size()[1]) / page * page;
    const std::size_t pages = end > begin ? (end - begin) / page : 0;
    std::vector<unsigned char> flags(pages);
    if (pages == 0 || mincore(reinterpret_cast<void*>(begin), end - begin, flags.data()) != 0)
        return 0;
    std::size_t resident = 0;
    for (unsigned char flag : flags)
        resident += flag & 1;
    return resident;
}

} // namespace

// Planes given up to the output go back to the system as their rows are
// made, band by band: of the image-sized plane at most a page a band stays
// (the one it shares with the band before), the scaled planes keep every
// sample, and the colours are those of planes kept.
TEST(JPEGBands, ConsumedPlanesGoBackAsTheColoursAreMade) {
    std::mt19937 random(23);
    const unsigned width = 1101, height = 997;
    const Tuple<2, unsigned int> size(width, height);
    const Plane y = randomPlane(width, height, random), cb = randomPlane(551, 499, random),
                cr = randomPlane(551, 499, random);
    const Plane* kept[3] = {&y, &cb, &cr};
    const std::vector<std::uint8_t> expected = colours(kept, size, 1);
    ASSERT_GT(residentPages(y), 200u);
    for (unsigned threads : {1u, 4u}) {
        Plane consumedY = y, consumedCb = cb, consumedCr = cr;
        const Plane* planes[3] = {&consumedY, &consumedCb, &consumedCr};
        TAVO::IncrementalBuffer buffer;
        ImageMetadata metadata;
        BlockReader::output(planes, 3, size, buffer, metadata, threads, true);
        const TAVO::Buffer& bytes = buffer;
        EXPECT_TRUE(std::vector<std::uint8_t>(bytes.data(), bytes.data() + bytes.size()) == expected) << threads;
        EXPECT_LE(residentPages(consumedY), threads) << threads << " threads";
        EXPECT_TRUE(std::equal(cb.data(), cb.data() + 551 * 499, consumedCb.data())) << threads;
        EXPECT_TRUE(std::equal(cr.data(), cr.data() + 551 * 499, consumedCr.data())) << threads;
    }
}

// A large picture through the importer, bands and all, against djpeg.
TEST(JPEGBands, ALargePictureDecodesAsDjpegDoes) {
    using namespace KestruneTest::JPEG;
    if (!haveTools())
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed";
    const KestruneTest::JPEG::Picture source = makePicture(1400, 1000, 3, 9);
    for (const char* sampling : {"2x2", "1x1"}) {
        const Bytes jpeg = cjpeg(source, std::string("-sample ") + sampling + " -quality 90");
        const KestruneTest::JPEG::Picture ours = decode(jpeg);
        ASSERT_EQ(ours.width, 1400u);
        ASSERT_EQ(ours.height, 1000u);
        if (std::string(sampling) == "1x1")
            EXPECT_LE(maxDifference(ours, djpeg(jpeg)), 3) << sampling;
        else
            EXPECT_GE(psnr(ours, djpeg(jpeg)), 30.0) << sampling;
    }
}

// A large picture decodes to the same pixels however its scans are laid
// out: interleaved rows reconstructed beside the decoding (also across
// restart intervals), one component a scan (reconstructed in place as each
// block is decoded), and progressive scans reconstructed in bands at the end.
TEST(JPEGBands, EveryLayoutOfALargePictureGivesTheSamePixels) {
    using namespace KestruneTest::JPEG;
    if (!haveTools())
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed";
    KestruneTest::TempFolder folder;
    std::ofstream(folder.file("alone.txt")) << "0: 0 63 0 0;\n1: 0 63 0 0;\n2: 0 63 0 0;\n";
    const KestruneTest::JPEG::Picture source = makePicture(1203, 1001, 3, 4);
    for (const char* sampling : {"2x2", "1x1", "2x1"}) {
        const std::string common = std::string("-quality 85 -sample ") + sampling;
        const Bytes plain = cjpeg(source, common);
        const KestruneTest::JPEG::Picture alone = decode(cjpeg(source, common + " -scans " + folder.file("alone.txt")));
        ASSERT_EQ(alone.width, 1203u);
        EXPECT_TRUE(decode(plain).pixels == alone.pixels) << sampling;
        EXPECT_TRUE(decode(cjpeg(source, common + " -restart 1B")).pixels == alone.pixels) << sampling;
        EXPECT_TRUE(decode(cjpeg(source, common + " -restart 7")).pixels == alone.pixels) << sampling;
        EXPECT_TRUE(decode(cjpeg(source, common + " -progressive")).pixels == alone.pixels) << sampling;
    }
}

// With no thread to spare, the decoding thread reconstructs and colours
// every row itself, to the same pixels.
TEST(JPEGBands, WithoutThreadsToSpareTheSamePixels) {
    using namespace KestruneTest::JPEG;
    if (!haveTools())
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed";
    const KestruneTest::JPEG::Picture source = makePicture(1203, 1001, 3, 4);
    for (const char* options : {"-sample 2x2", "-sample 1x1 -progressive"}) {
        const Bytes jpeg = cjpeg(source, std::string("-quality 85 ") + options);
        const KestruneTest::JPEG::Picture sideBySide = decode(jpeg);
        const unsigned int capacity = TAVO::ThreadBudget::capacity();
        TAVO::ThreadBudget::setCapacity(0);
        const KestruneTest::JPEG::Picture alone = decode(jpeg);
        TAVO::ThreadBudget::setCapacity(capacity);
        EXPECT_TRUE(alone.pixels == sideBySide.pixels) << options;
    }
}

// Damage in the middle of a large picture's data fails the decode as it
// did, with no thread left behind writing into freed planes.
TEST(JPEGBands, DamageInALargePictureFailsCleanly) {
    using namespace KestruneTest::JPEG;
    if (!haveTools())
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed";
    const KestruneTest::JPEG::Picture source = makePicture(1200, 900, 3, 6);
    for (const char* options : {"-quality 80", "-quality 80 -progressive"}) {
        const Bytes jpeg = cjpeg(source, options);
        for (std::size_t cut : {jpeg.size() / 3, jpeg.size() / 2, jpeg.size() - 10}) {
            Bytes damaged(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(cut));
            EXPECT_ANY_THROW(decode(damaged)) << options << " cut at " << cut;
            damaged = jpeg;
            damaged[cut] = 0xFF;
            damaged[cut + 1] = 0xD9;
            EXPECT_ANY_THROW(decode(damaged)) << options << " end marker at " << cut;
        }
    }
}
