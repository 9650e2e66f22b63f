// Progressive files with restart intervals, made by cjpeg: against djpeg
// (the tolerances of the other oracle tests), against the baseline decode of
// the same picture, and broken versions of them.

#include <random>

#include <gtest/gtest.h>

#include "JPEGTestSupport.h"

using namespace KestruneTest;
using namespace KestruneTest::JPEG;

#define REQUIRE_TOOLS()                                        \
    if (!haveTools())                                          \
        GTEST_SKIP() << "cjpeg and djpeg (libjpeg-turbo-progs) are needed"

namespace {

// Scan scripts with spectral bands and refinement scans (DC and AC): one
// for grey pictures; for colour ones, DC scans of each component alone
// then refined together, and the reverse.
struct Scripts {
    TempFolder folder;
    std::string grey, separateDC, interleavedDC;

    Scripts() {
        grey = folder.file("grey.txt");
        std::ofstream(grey) << "0: 0 0 0 2;\n0: 1 5 0 2;\n0: 6 63 0 2;\n0: 0 0 2 1;\n0: 1 63 2 1;\n"
                               "0: 0 0 1 0;\n0: 1 63 1 0;\n";
        separateDC = folder.file("separate.txt");
        std::ofstream(separateDC) << "0: 0 0 0 1;\n1: 0 0 0 1;\n2: 0 0 0 1;\n"
                                     "0: 1 5 0 2;\n0: 6 63 0 2;\n1: 1 63 0 1;\n2: 1 63 0 1;\n"
                                     "0: 1 63 2 1;\n0: 1 63 1 0;\n1: 1 63 1 0;\n2: 1 63 1 0;\n"
                                     "0,1,2: 0 0 1 0;\n";
        interleavedDC = folder.file("interleaved.txt");
        std::ofstream(interleavedDC) << "0,1,2: 0 0 0 1;\n0: 1 9 0 1;\n2: 1 63 0 0;\n1: 1 63 0 0;\n"
                                        "0: 10 63 0 1;\n0: 0 0 1 0;\n1: 0 0 1 0;\n2: 0 0 1 0;\n0: 1 63 1 0;\n";
    }
};

const char* const restarts[] = {"-restart 1", "-restart 3B", "-restart 1B", "-restart 2"};

} // namespace

TEST(JPEGProgressiveRestart, GreyMatchesDjpegAndTheBaselineDecode) {
    REQUIRE_TOOLS();
    Scripts scripts;
    const unsigned sizes[][2] = {{1, 1}, {17, 17}, {37, 29}, {4001, 3}, {3, 40}};
    for (const auto& size : sizes) {
        const Picture source = makePicture(size[0], size[1], 1, size[0] + size[1]);
        const std::string common = "-grayscale -quality 85 ";
        const Picture baseline = decode(cjpeg(source, common));
        for (const char* restart : restarts)
            for (const std::string& scans : {std::string("-progressive"), "-scans " + scripts.grey}) {
                const Bytes jpeg = cjpeg(source, common + restart + " " + scans);
                const Picture ours = decode(jpeg);
                EXPECT_EQ(ours.pixels, baseline.pixels) << size[0] << "x" << size[1] << " " << restart << " " << scans;
                EXPECT_LE(maxDifference(ours, djpeg(jpeg)), 2) << size[0] << "x" << size[1] << " " << restart;
            }
    }
}

TEST(JPEGProgressiveRestart, SubsampledColourMatchesDjpegAndTheBaselineDecode) {
    REQUIRE_TOOLS();
    Scripts scripts;
    const unsigned sizes[][2] = {{17, 17}, {45, 37}, {130, 70}, {1, 1}, {33, 9}};
    for (const auto& size : sizes) {
        const Picture source = makePicture(size[0], size[1], 3, size[0] * 3 + size[1]);
        const std::string common = "-sample 2x2 -quality 80 ";
        const Picture baseline = decode(cjpeg(source, common));
        for (const char* restart : restarts)
            for (const std::string& scans : {std::string("-progressive"), "-scans " + scripts.separateDC,
                                             "-scans " + scripts.interleavedDC}) {
                const Bytes jpeg = cjpeg(source, common + restart + " " + scans);
                const Picture ours = decode(jpeg);
                EXPECT_EQ(ours.pixels, baseline.pixels) << size[0] << "x" << size[1] << " " << restart << " " << scans;
                EXPECT_GE(psnr(ours, djpeg(jpeg)), 30.0) << size[0] << "x" << size[1] << " " << restart;
            }
    }
}

TEST(JPEGProgressiveRestart, FullChromaWithinThreeLevelsOfDjpeg) {
    REQUIRE_TOOLS();
    Scripts scripts;
    for (const auto& size : {std::pair<unsigned, unsigned>(50, 30), {17, 17}}) {
        const Picture source = makePicture(size.first, size.second, 3, 77);
        for (const char* restart : restarts) {
            const Bytes jpeg = cjpeg(source, std::string("-sample 1x1 -quality 90 ") + restart + " -scans " +
                                                 scripts.separateDC);
            EXPECT_LE(maxDifference(decode(jpeg), djpeg(jpeg)), 3) << restart;
        }
    }
}

TEST(JPEGProgressiveRestart, EighthScaleSkipsTheRestartsOfUnreadScans) {
    REQUIRE_TOOLS();
    Scripts scripts;
    // Whole MCUs only: a scan of one component alone has no MCU fill blocks,
    // which the eighth-scale picture would show at its edges.
    const Picture source = makePicture(96, 48, 3, 4);
    const Picture baseline = decode(cjpeg(source, "-sample 2x2"), true);
    for (const char* restart : restarts) {
        EXPECT_EQ(decode(cjpeg(source, std::string("-sample 2x2 -progressive ") + restart), true).pixels,
                  baseline.pixels)
            << restart;
        EXPECT_EQ(decode(cjpeg(source, std::string("-sample 2x2 -scans ") + scripts.separateDC + " " + restart), true)
                      .pixels,
                  baseline.pixels)
            << restart;
    }
}

TEST(JPEGProgressiveRestart, BrokenFilesEndInAnException) {
    REQUIRE_TOOLS();
    Scripts scripts;
    const std::vector<Bytes> files = {
        cjpeg(makePicture(23, 19, 3, 2), "-sample 2x2 -quality 85 -progressive -restart 1B"),
        cjpeg(makePicture(19, 11, 1, 4), "-grayscale -quality 90 -restart 3B -scans " + scripts.grey),
        cjpeg(makePicture(21, 17, 3, 6), "-quality 75 -restart 1 -scans " + scripts.interleavedDC),
    };
    for (const Bytes& file : files) {
        ASSERT_NO_THROW(decode(file));
        for (std::size_t length = 0; length + 2 < file.size(); ++length) {
            const Bytes cut(file.begin(), file.begin() + long(length));
            for (bool eighth : {false, true})
                EXPECT_THROW(decode(cut, eighth), TAVO::Exception) << length << " of " << file.size();
        }
    }
    std::mt19937 random(77);
    for (const Bytes& file : files)
        for (int round = 0; round < 1500; ++round) {
            Bytes broken = file;
            for (int i = 1 + int(random() % 4); i > 0; --i)
                broken[random() % broken.size()] = std::uint8_t(random());
            try {
                decode(broken, round % 3 == 0);
            } catch (const TAVO::Exception&) {
            } catch (const std::exception& e) {
                ADD_FAILURE() << "round " << round << ": " << e.what();
            }
        }
}

TEST(JPEGProgressiveRestart, MissingOrMisplacedMarkersAreRefused) {
    REQUIRE_TOOLS();
    const Bytes file = cjpeg(makePicture(40, 24, 1, 8), "-grayscale -quality 90 -progressive -restart 1B");
    // Every restart marker of the file, in turn, dropped or renumbered.
    std::vector<std::size_t> markers;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] >= 0xD0 && file[i + 1] <= 0xD7)
            markers.push_back(i);
    ASSERT_GT(markers.size(), 20u);
    for (std::size_t at : markers) {
        Bytes dropped = file;
        dropped.erase(dropped.begin() + long(at), dropped.begin() + long(at) + 2);
        EXPECT_THROW(decode(dropped), TAVO::Exception) << at;
        Bytes renumbered = file;
        renumbered[at + 1] = std::uint8_t(0xD0 + (renumbered[at + 1] - 0xD0 + 1) % 8);
        EXPECT_THROW(decode(renumbered), TAVO::Exception) << at;
    }
}

TEST(JPEGProgressiveRestart, DeepRefinementScansMatchTheBaselineDecode) {
    REQUIRE_TOOLS();
    // Up to four bits sent by refinement scans, bands split and refined
    // apart: every coefficient ends as the baseline file has it.
    TempFolder folder;
    const std::string colour = folder.file("colour.txt"), grey = folder.file("grey.txt");
    std::ofstream(colour) << "0,1,2: 0 0 0 3;\n0: 1 1 0 4;\n0: 2 63 0 4;\n1: 1 63 0 2;\n2: 1 63 0 2;\n"
                             "0: 1 63 4 3;\n0: 1 63 3 2;\n1: 1 63 2 1;\n0: 1 63 2 1;\n2: 1 63 2 1;\n"
                             "0,1,2: 0 0 3 2;\n0,1,2: 0 0 2 1;\n0: 1 63 1 0;\n1: 1 63 1 0;\n2: 1 63 1 0;\n"
                             "0,1,2: 0 0 1 0;\n";
    std::ofstream(grey) << "0: 0 0 0 4;\n0: 1 9 0 4;\n0: 10 63 0 3;\n0: 1 9 4 3;\n0: 1 63 3 2;\n"
                           "0: 0 0 4 3;\n0: 0 0 3 2;\n0: 0 0 2 1;\n0: 1 63 2 1;\n0: 1 63 1 0;\n"
                           "0: 0 0 1 0;\n";
    const unsigned sizes[][2] = {{1, 1}, {37, 29}, {130, 70}};
    for (const auto& size : sizes)
        for (int quality : {60, 95, 100})
            for (const char* restart : {"", "-restart 1"}) {
                const std::string common = "-quality " + std::to_string(quality) + " " + restart + " ";
                const Picture picture = makePicture(size[0], size[1], 3, unsigned(quality) + size[0]);
                for (const char* sampling : {"-sample 2x2", "-sample 1x1"}) {
                    const Picture baseline = decode(cjpeg(picture, common + sampling));
                    const Picture ours = decode(cjpeg(picture, common + sampling + " -scans " + colour));
                    EXPECT_EQ(ours.pixels, baseline.pixels) << size[0] << "x" << size[1] << " q" << quality << " "
                                                            << restart << " " << sampling;
                }
                const Picture baseline = decode(cjpeg(picture, common + "-grayscale"));
                const Picture ours = decode(cjpeg(picture, common + "-grayscale -scans " + grey));
                EXPECT_EQ(ours.pixels, baseline.pixels) << size[0] << "x" << size[1] << " q" << quality << " grey";
            }
}
