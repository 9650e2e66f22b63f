#include "GeneratorCommands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "ToolText.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "geometry/Polygon.h"
#include "imaging/ImageMetadata.h"
#include "model/Puzzle.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/CutPuzzleGenerator.h"
#include "model/generators/PegPuzzleGenerator.h"
#include "model/generators/PolygonPuzzleGenerator.h"

using PuzzleTool::Refusal;

namespace GeneratorCommands {

const char* const usage = "       kestrune-puzzle cut SEED PIECES RATIO WIDTH HEIGHT\n"
                          "       kestrune-puzzle peg TEXT WIDTH HEIGHT\n"
                          "       kestrune-puzzle polygon X,Y X,Y ... [/ X,Y ...] -- WIDTH HEIGHT\n";

namespace {

void seed(TAVO::MersenneTwister& random, std::uint32_t word) {
    random.seed(TAVO::BorrowConstBuffer(&word, sizeof word));
}

int print(PuzzleGenerator& generator, const TAVO::Tuple<2, float>& size) {
    const TAVO::IncrementalBuffer noPixels;
    const std::unique_ptr<Puzzle> puzzle = generator.generate(size, noPixels, TAVO::Migration::ImageMetadata());
    const std::string text = PuzzleTool::describe(*puzzle);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int cut(const std::vector<std::string>& words) {
    const std::uint32_t word = PuzzleTool::parseUnsigned(words[0], "SEED");
    const TAVO::Tuple<2, float> size(PuzzleTool::parseSize(words[3], "WIDTH"),
                                     PuzzleTool::parseSize(words[4], "HEIGHT"));
    TAVO::MersenneTwister random;
    seed(random, word);
    CutPuzzleGenerator generator(&random, std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f),
                                 std::make_shared<StraightEdgeFactory>());
    // The texts go to the generator as they are: it reads them itself.
    generator.parameters().set("pieces", words[1]);
    generator.parameters().set("ratio", words[2]);
    return print(generator, size);
}

int peg(const std::vector<std::string>& words) {
    const TAVO::Tuple<2, float> size(PuzzleTool::parseSize(words[1], "WIDTH"),
                                     PuzzleTool::parseSize(words[2], "HEIGHT"));
    PegPuzzleGenerator generator(std::make_shared<StraightEdgeFactory>());
    generator.parameters().set("pieces", words[0]);
    return print(generator, size);
}

float coordinate(const std::string& text, const std::string& word) {
    char* end = nullptr;
    const float value = text.empty() ? 0.0f : std::strtof(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
        throw Refusal{"a point must be X,Y with two finite numbers, not \"" + word + "\""};
    return value;
}

int polygon(const std::vector<std::string>& words) {
    const std::size_t separator = words.size() - 3;
    const TAVO::Tuple<2, float> size(PuzzleTool::parseSize(words[separator + 1], "WIDTH"),
                                     PuzzleTool::parseSize(words[separator + 2], "HEIGHT"));
    Polygon shape;
    std::map<std::pair<float, float>, std::uint32_t> indices;
    Polygon::Contour contour;
    auto close = [&]() {
        if (contour.empty())
            throw Refusal{"every contour needs a point"};
        shape.addContour(contour);
        contour.clear();
    };
    for (std::size_t i = 0; i < separator; ++i) {
        if (words[i] == "/") {
            close();
            continue;
        }
        const std::size_t comma = words[i].find(',');
        if (comma == std::string::npos)
            throw Refusal{"a point must be X,Y with two finite numbers, not \"" + words[i] + "\""};
        const std::pair<float, float> xy(coordinate(words[i].substr(0, comma), words[i]),
                                         coordinate(words[i].substr(comma + 1), words[i]));
        const auto found = indices.find(xy);
        if (found != indices.end()) {
            contour.push_back(found->second);
        } else {
            const std::uint32_t index = shape.addPoint(TAVO::Point<2, float>(xy.first, xy.second));
            indices.emplace(xy, index);
            contour.push_back(index);
        }
    }
    close();
    // A new game's seed.
    TAVO::MersenneTwister random;
    seed(random, 0u);
    PolygonPuzzleGenerator generator(std::make_shared<ClassicEdgeFactory>(&random, 1.0f, 0u, 7.5f),
                                     std::make_shared<StraightEdgeFactory>(), shape);
    return print(generator, size);
}

} // namespace

bool accepts(const std::string& command, const std::vector<std::string>& words) {
    if (command == "cut")
        return words.size() == 5;
    if (command == "peg")
        return words.size() == 3;
    if (command == "polygon")
        return words.size() >= 4 && words[words.size() - 3] == "--";
    return false;
}

int run(const std::string& command, const std::vector<std::string>& words) {
    if (command == "cut")
        return cut(words);
    if (command == "peg")
        return peg(words);
    return polygon(words);
}

} // namespace GeneratorCommands
