#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/Command.h"

using KestruneTest::Command;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle";
const std::string unoptimised = KESTRUNE_BINARY_DIR "/bin/kestrune-puzzle-O0";
const std::string oracle = "python3 " KESTRUNE_SOURCE_DIR "/tests/tools/puzzle/scatter_oracle.py";

std::vector<std::vector<std::string>> lines(const std::string& text) {
    std::vector<std::vector<std::string>> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> split;
        std::string word;
        while (words >> word)
            split.push_back(word);
        out.push_back(split);
    }
    return out;
}

float floatOf(const std::string& hex) {
    const std::uint32_t bits = std::uint32_t(std::stoul(hex, nullptr, 16));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

TEST(PuzzleTableTool, ScatterMatchesTheIndependentImplementation) {
    if (!Command::available("python3"))
        GTEST_SKIP() << "python3 is missing";
    for (const char* arguments : {"0 3 3 192 192", "0 4 4 256 256", "7 10 6 640 384", "123 25 17 1600 1088",
                                  "5 1 1 64 64", "9 40 1 2560 64", "3000000000 6 9 300.5 700.25"}) {
        const auto expected = Command::run(oracle + " " + arguments);
        ASSERT_EQ(expected.exitCode, 0) << arguments;
        const auto result = Command::run(tool + " scatter " + arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.output == expected.output) << arguments;
    }
}

TEST(PuzzleTableTool, ScatterOrdersAndViewOfTheWorkedExamples) {
    auto pieces = [](const std::string& arguments) {
        std::vector<int> order;
        for (const auto& words : lines(Command::run(tool + " scatter " + arguments).output))
            if (words[0] == "part")
                order.push_back(std::stoi(words[3]));
        return order;
    };
    EXPECT_EQ(pieces("0 3 3 192 192"), (std::vector<int>{7, 0, 1, 3, 4, 5, 6, 8, 2}));
    EXPECT_EQ(pieces("0 4 4 256 256"), (std::vector<int>{7, 0, 1, 13, 15, 10, 6, 8, 2, 3, 11, 5, 9, 14, 12, 4}));
    // A small layout stays at level 0 (minus log2 of 1); a large one zooms out.
    const auto small = lines(Command::run(tool + " scatter 0 3 3 192 192").output);
    EXPECT_EQ(floatOf(small[0][4]), 0.0f);
    const auto large = lines(Command::run(tool + " scatter 0 30 20 1920 1280").output);
    EXPECT_LT(floatOf(large[0][4]), -1.0f);
}

TEST(PuzzleTableTool, MeshTrianglesAndAreasFollowThePieceOutlines) {
    const std::string arguments = "4 6 5 384 320";
    // The outline of every piece, as grid prints it.
    std::map<int, std::pair<std::size_t, double>> outlines;
    for (const auto& words : lines(Command::run(tool + " grid " + arguments).output)) {
        if (words[0] != "outline")
            continue;
        const std::size_t n = std::stoul(words[2]);
        double area = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::string& a = words[3 + i];
            const std::string& b = words[3 + (i + 1) % n];
            const double ax = floatOf(a.substr(0, 8)), ay = floatOf(a.substr(9));
            const double bx = floatOf(b.substr(0, 8)), by = floatOf(b.substr(9));
            area += 0.5 * (ax * by - bx * ay);
        }
        outlines[std::stoi(words[1])] = {n, area};
    }
    ASSERT_EQ(outlines.size(), 30u);
    std::map<int, int> pieceOf;
    for (const auto& words : lines(Command::run(tool + " scatter " + arguments).output))
        if (words[0] == "part")
            pieceOf[std::stoi(words[1])] = std::stoi(words[3]);
    for (const char* kind : {"plain", "attribute"}) {
        const auto result = Command::run(tool + " mesh " + arguments + " " + kind);
        ASSERT_EQ(result.exitCode, 0) << kind;
        const auto printed = lines(result.output);
        ASSERT_EQ(printed.size(), 31u);
        EXPECT_EQ(printed[0][1], kind);
        std::size_t vertices = 0;
        for (std::size_t i = 1; i < printed.size(); ++i) {
            const auto& [points, area] = outlines.at(pieceOf.at(std::stoi(printed[i][1])));
            // A simple polygon of n points cuts into n - 2 triangles.
            EXPECT_EQ(std::stoul(printed[i][3]), points - 2) << kind << " " << i;
            EXPECT_NEAR(floatOf(printed[i][5]), area, 1e-5 * area) << kind << " " << i;
            vertices += std::string(kind) == "plain" ? points : 3 * (points - 2);
        }
        EXPECT_EQ(printed[0][3], std::to_string(vertices)) << kind;
    }
    EXPECT_EQ(Command::run(tool + " mesh " + arguments).output, Command::run(tool + " mesh " + arguments + " plain").output);
}

TEST(PuzzleTableTool, TheUnoptimisedBuildLaysOutTheSameBits) {
    for (const char* arguments : {"scatter 0 12 9 768 576", "scatter 77 5 3 500.5 150", "mesh 2 4 4 256 256 attribute"})
        EXPECT_EQ(Command::run(unoptimised + " " + arguments).output, Command::run(tool + " " + arguments).output)
            << arguments;
}

TEST(PuzzleTableTool, ExitCodesAndMessages) {
    for (const char* usage : {"scatter 1 2 3 4", "scatter 0 1 1 10 10 10", "mesh 0 1 1 10", "mesh 0 1 1 10 10 plain x"})
        EXPECT_EQ(Command::run(tool + " " + usage + " 2>/dev/null").exitCode, 2) << usage;
    EXPECT_NE(Command::run(tool + " --help").output.find("kestrune-puzzle scatter"), std::string::npos);
    for (const char* bad : {"scatter x 1 1 10 10", "scatter 0 1 1 0 10", "mesh 0 1 1 10 10 shiny", "mesh 0 0 3 10 10"}) {
        const auto result = Command::run(tool + " " + bad + " 2>&1");
        EXPECT_EQ(result.exitCode, 1) << bad;
        EXPECT_EQ(result.output.rfind("kestrune-puzzle: ", 0), 0u) << bad << ": " << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << bad;
    }
}
