#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Command.h"
#include "support/TempFolder.h"

using KestruneTest::Command;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle";
// The same tool with the puzzle model built without optimisation.
const std::string unoptimised = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle-O0";
const std::string folder = KESTRUNE_SOURCE_DIR "/tests/tools/puzzle";
const std::string oracle = "python3 " + folder + "/cut_oracle.py";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The golden cuts: files named grid_SEED_COLUMNS_ROWS_WIDTH_HEIGHT.txt.
std::vector<std::pair<std::string, std::string>> goldenCuts() {
    std::vector<std::pair<std::string, std::string>> cuts;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("grid_", 0) != 0 || entry.path().extension() != ".txt")
            continue;
        std::string arguments = name.substr(0, name.size() - 4);
        for (char& c : arguments)
            if (c == '_')
                c = ' ';
        cuts.emplace_back(arguments, entry.path().string());
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

} // namespace

TEST(PuzzleTool, CutsMatchTheCheckedInGoldenFiles) {
    const auto cuts = goldenCuts();
    ASSERT_GE(cuts.size(), 4u);
    for (const auto& [arguments, path] : cuts) {
        const auto result = Command::run(tool + " " + arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.output == readFile(path)) << arguments << " differs from " << path;
    }
}

TEST(PuzzleTool, UnoptimisedBuildCutsTheSameBits) {
    for (const auto& [arguments, path] : goldenCuts()) {
        const auto result = Command::run(unoptimised + " " + arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.output == readFile(path)) << arguments << " differs from " << path;
    }
    for (const char* arguments : {"setup 1000 1000 16", "setup 1920 1080 1000", "grid 5 9 2 1000 80.5"}) {
        EXPECT_EQ(Command::run(unoptimised + " " + arguments).output, Command::run(tool + " " + arguments).output)
            << arguments;
    }
}

TEST(PuzzleTool, AnIndependentImplementationCutsTheSameBits) {
    if (!Command::available("python3"))
        GTEST_SKIP() << "python3 is missing";
    for (const char* arguments : {"0 1 1 64 64", "0 2 1 128 64", "12 3 3 192 192", "3000000000 5 2 500 150.25",
                                  "9 12 10 768 640", "65535 1 7 40 700"}) {
        const auto expected = Command::run(oracle + " " + arguments + " 2>/dev/null");
        ASSERT_EQ(expected.exitCode, 0) << arguments;
        EXPECT_TRUE(Command::run(tool + " grid " + arguments).output == expected.output) << arguments;
    }
    // The golden files themselves came from that implementation.
    for (const auto& [arguments, path] : goldenCuts()) {
        const std::string words = arguments.substr(5);
        EXPECT_TRUE(Command::run(oracle + " " + words + " 2>/dev/null").output == readFile(path)) << arguments;
    }
}

TEST(PuzzleTool, SetUpsMatchTheIndependentImplementation) {
    if (!Command::available("python3"))
        GTEST_SKIP() << "python3 is missing";
    KestruneTest::TempFolder temp;
    std::string lines, expected;
    for (unsigned w : {1u, 3u, 300u, 469u, 1000u, 1080u, 1920u, 16384u})
        for (unsigned h : {1u, 5u, 300u, 812u, 1080u, 16384u})
            for (unsigned n : {0u, 1u, 2u, 3u, 12u, 16u, 100u, 999u, 10000u}) {
                const std::string line = std::to_string(w) + " " + std::to_string(h) + " " + std::to_string(n);
                lines += line + "\n";
                expected += Command::run(tool + " setup " + line).output;
            }
    std::ofstream(temp.file("in.txt")) << lines;
    EXPECT_TRUE(Command::run(oracle + " setup < " + temp.file("in.txt")).output == expected);
    EXPECT_EQ(Command::run(tool + " setup 1000 1000 16").output, "grid 4 4 size 439d8000 439d8000 pieces 16\n");
    EXPECT_EQ(Command::run(tool + " setup 0 0 16").output, "grid 1 1 size 3f800000 3f800000 pieces 1\n");
}

TEST(PuzzleTool, ExitCodesAndMessages) {
    EXPECT_EQ(Command::run(tool + " --help").exitCode, 0);
    EXPECT_NE(Command::run(tool + " --help").output.find("kestrune-puzzle grid"), std::string::npos);
    for (const char* usage : {"", "cut 1 2 3", "grid 1 2 3", "grid 0 1 1 10 10 10", "setup 1 2"})
        EXPECT_EQ(Command::run(tool + " " + usage + " 2>/dev/null").exitCode, 2) << usage;
    for (const char* bad : {"grid x 1 1 10 10", "grid -1 1 1 10 10", "grid 4294967296 1 1 10 10",
                            "grid 0 1 1 0 10", "grid 0 1 1 10 nan", "grid 0 1 1 10 inf", "grid 0 1 1 10 1e39",
                            "grid 0 1 1 10 10x", "setup 16385 1 4", "setup 0 5 4", "setup 20000 20000 4",
                            "grid 0 0 3 10 10", "grid 0 2000 2000 10 10"}) {
        const auto result = Command::run(tool + " " + bad + " 2>&1");
        EXPECT_EQ(result.exitCode, 1) << bad;
        // One line that names the tool.
        EXPECT_EQ(result.output.rfind("kestrune-puzzle: ", 0), 0u) << bad << ": " << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << bad;
    }
    EXPECT_EQ(Command::run(tool + " grid 0 0 3 10 10 2>&1").output, "kestrune-puzzle: (0,0) out of bound. \n");
    // A 0 x 0 grid is an empty puzzle.
    const auto empty = Command::run(tool + " grid 0 0 0 10 10");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.output, "");
}
