#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Command.h"

using KestruneTest::Command;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle";
// The same tool with the puzzle model built without optimisation.
const std::string unoptimised = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle-O0";
const std::string folder = KESTRUNE_SOURCE_DIR "/tests/tools/puzzle";
const std::string oracle = "python3 " + folder + "/generator_oracle.py";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const char* const defaultPegs = "'0.3, 0.3, 0.6, 0.25, 0.7, 0.4, 0.7, 0.7, 0.4, 0.5'";
const char* const fourContours =
    "0,0 128,0 64,96 / 128,0 192,0 192,96 64,96 / 0,0 64,96 0,128 / 64,96 192,96 192,128 0,128 -- 192 128";

// The checked-in cuts, each made by the independent implementation: the
// arguments and the file.
std::vector<std::pair<std::string, std::string>> goldenCuts() {
    return {{"cut 0 16 0.25 400 300", "cut_0_16_0.25_400_300.txt"},
            {"cut 2024 64 0.5 640 480", "cut_2024_64_0.5_640_480.txt"},
            {std::string("peg ") + defaultPegs + " 315 315", "peg_default_315_315.txt"},
            {std::string("polygon ") + fourContours, "polygon_four_192_128.txt"}};
}

// Arguments for comparisons with the independent implementation.
const std::vector<std::string> compared = {
    "cut 0 1 0.25 100 100",
    "cut 7 16 0.25 1000 800",
    "cut 3000000000 30 0.75 123.456 98.7",
    "cut 11 64 0 512 512",
    "cut 12 100 0.1 333.3 777.7",
    "cut 13 300 1 640 480",
    "cut 14 500 0.3 2048 1536",
    "peg '' 50 50",
    "peg '0.1,0.1, 0.5,0.1, 0.3,0.4; 0.6,0.6,0.9,0.6,0.9,0.9,0.6,0.9;' 640 480",
    "peg '0.2,0.2,0.4,0.2,0.4,0.4,0.2,0.4;0.6,0.6,0.8,0.8' 123.5 77.25",
    "polygon 0,0 1,0 0,1 / 1,0 1,1 0,1 -- 1 1",
    "polygon 0,0 300,0 300,100 0,100 -- 1 1",
    "polygon 0,0 100,0 100,100 0,100 / 100,0 300,0 300,100 100,100 -- 5 5",
    std::string("polygon ") + fourContours,
};

} // namespace

TEST(PuzzleGeneratorTool, CutsMatchTheCheckedInGoldenFiles) {
    for (const auto& [arguments, file] : goldenCuts()) {
        const auto result = Command::run(tool + " " + arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.output == readFile(folder + "/" + file)) << arguments << " differs from " << file;
    }
}

TEST(PuzzleGeneratorTool, AnIndependentImplementationCutsTheSameBits) {
    if (!Command::available("python3"))
        GTEST_SKIP() << "python3 is missing";
    for (const std::string& arguments : compared) {
        const auto expected = Command::run(oracle + " " + arguments + " 2>/dev/null");
        ASSERT_EQ(expected.exitCode, 0) << arguments;
        const auto result = Command::run(tool + " " + arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.output == expected.output) << arguments;
    }
    // The golden files themselves came from that implementation.
    for (const auto& [arguments, file] : goldenCuts())
        EXPECT_TRUE(Command::run(oracle + " " + arguments).output == readFile(folder + "/" + file)) << arguments;
}

TEST(PuzzleGeneratorTool, UnoptimisedBuildCutsTheSameBits) {
    for (const std::string& arguments : compared)
        EXPECT_TRUE(Command::run(unoptimised + " " + arguments).output == Command::run(tool + " " + arguments).output)
            << arguments;
}

TEST(PuzzleGeneratorTool, TheBoardOfAPegPuzzleHasOneOutlineLinePerContour) {
    const auto result = Command::run(tool + " peg " + defaultPegs + " 100 100");
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.output);
    std::string line;
    std::vector<std::string> outlines;
    while (std::getline(lines, line))
        if (line.rfind("outline ", 0) == 0)
            outlines.push_back(line.substr(0, line.find(' ', 10)));
    EXPECT_EQ(outlines, (std::vector<std::string>{"outline 0 4", "outline 0 5", "outline 1 5"}));
}

TEST(PuzzleGeneratorTool, ExitCodesAndMessages) {
    EXPECT_NE(Command::run(tool + " --help").output.find("kestrune-puzzle polygon"), std::string::npos);
    for (const char* usage : {"cut 1 2 3 4", "cut 0 16 0.25 10 10 10", "peg 0.5", "peg a 1 2 3", "polygon -- 1 1",
                              "polygon 0,0 1,0 0,1 1 1", "polygon 0,0 1,0 0,1 -- 1"})
        EXPECT_EQ(Command::run(tool + " " + usage + " 2>/dev/null").exitCode, 2) << usage;
    const std::pair<const char*, const char*> refusals[] = {
        {"cut 0 0 0.25 10 10", "kestrune-puzzle: A cut puzzle has 1 to 65536 pieces, not 0. \n"},
        {"cut 0 65537 0.25 10 10", "kestrune-puzzle: A cut puzzle has 1 to 65536 pieces, not 65537. \n"},
        {"cut 0 16 1.5 10 10", "kestrune-puzzle: The cut ratio 1.5 is not within 0 and 1. \n"},
        {"cut 0 16x 0.25 10 10", "kestrune-puzzle: Failed to convert \"16x\" to unsigned int.\n"},
        {"cut 0 16 nan 10 10", "kestrune-puzzle: Failed to convert \"nan\" to float.\n"},
        {"peg '0.1,0.1,,0.5' 10 10",
         "kestrune-puzzle: String \",0.5\" could not be parsed into \"peg puzzle pieces\". \n"},
        {"peg '0.1,0.1,1.5x,0.1,0.3,0.4' 10 10", "kestrune-puzzle: Failed to convert \"1.5x\" to float.\n"},
        {"peg '0.1,0.1,0.5' 10 10",
         "kestrune-puzzle: odd number of piece coordinates is not even number of piece coordinates. \n"},
        {"peg '0.1,0.1,0.3,0.4,0.5,0.1' 10 10",
         "kestrune-puzzle: Peg 1 encloses no area in the order of its corners. \n"},
        {"polygon 0,0 1,0 0,1 / 0,0 1,0 1,1 -- 1 1",
         "kestrune-puzzle: Contours 0 and 1 both walk the side from point 0 to point 1. \n"},
        {"polygon 0,0 1,0 0,x -- 1 1", "kestrune-puzzle: a point must be X,Y with two finite numbers, not \"0,x\"\n"},
        {"polygon 0,0 1,0 0,1 / / 1,1 -- 1 1", "kestrune-puzzle: every contour needs a point\n"},
    };
    for (const auto& [arguments, message] : refusals) {
        const auto result = Command::run(tool + " " + arguments + " 2>&1");
        EXPECT_EQ(result.exitCode, 1) << arguments;
        EXPECT_EQ(result.output, message) << arguments;
    }
    for (const char* bad : {"cut x 16 0.25 10 10", "cut 0 16 0.25 0 10", "peg '' 10 -1", "polygon 0,0 1 -- 1 1",
                            "polygon 0,0 1,0 0,inf -- 1 1", "polygon 0,0 1,0 0,1 -- 1 0"}) {
        const auto result = Command::run(tool + " " + bad + " 2>&1");
        EXPECT_EQ(result.exitCode, 1) << bad;
        EXPECT_EQ(result.output.rfind("kestrune-puzzle: ", 0), 0u) << bad << ": " << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << bad;
    }
}
