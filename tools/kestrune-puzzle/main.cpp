// kestrune-puzzle: prints the cut the game makes, so that it can be checked
// from outside and compared between builds and machines.
//
//   kestrune-puzzle grid SEED COLUMNS ROWS WIDTH HEIGHT
//   kestrune-puzzle setup WIDTH HEIGHT REQUESTED
//
// grid cuts a WIDTH x HEIGHT puzzle (table units) into COLUMNS x ROWS pieces
// with the classic edges of a new game, drawn from SEED. It prints, for each
// edge in index order, "edge I straight", "edge I classic S0 ... S9" or
// "edge I reverse S0 ... S9" (the shape values of the wrapped edge), then
// "points I N X,Y ..."; then for each piece "piece P E:F ..." (edge index,
// 1 when walked backwards) and "outline P N X,Y ..." (the outline a piece
// mesh is made from; one line per closed contour).
//
// setup prints "grid C R size X Y pieces N" for a picture of WIDTH x HEIGHT
// pixels and REQUESTED pieces asked for.
//
// scatter and mesh lay the cut out as a new game and print the places of the
// parts or the sizes of their meshes (see TableCommands.h).
//
// cut, peg and polygon print the cuts of the other generators in the same
// lines (see GeneratorCommands.h).
//
// Every float is printed as the 8 lower-case hexadecimal digits of its
// single-precision bits. Exit code 0 on success, 1 with a one-line message
// on a bad argument or a refused input, 2 on a usage error.

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/random/MersenneTwister.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "geometry/Polygon.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "NewGameCut.h"
#include "TableCommands.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/ReverseEdge.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"

#include "GeneratorCommands.h"
#include "ToolText.h"

namespace {

const char* const usage =
    "usage: kestrune-puzzle grid SEED COLUMNS ROWS WIDTH HEIGHT\n"
    "       kestrune-puzzle setup WIDTH HEIGHT REQUESTED\n"
    "       kestrune-puzzle scatter SEED COLUMNS ROWS WIDTH HEIGHT\n"
    "       kestrune-puzzle mesh SEED COLUMNS ROWS WIDTH HEIGHT [plain|attribute]\n"
    "       kestrune-puzzle --help\n";

using PuzzleTool::describe;
using PuzzleTool::hex;
using PuzzleTool::parseSize;
using PuzzleTool::parseUnsigned;
using PuzzleTool::Refusal;

int grid(const std::vector<std::string>& words) {
    std::uint32_t seed = parseUnsigned(words[0], "SEED");
    const std::uint32_t columns = parseUnsigned(words[1], "COLUMNS");
    const std::uint32_t rows = parseUnsigned(words[2], "ROWS");
    const TAVO::Tuple<2, float> size(parseSize(words[3], "WIDTH"), parseSize(words[4], "HEIGHT"));
    // Made as a new game makes its cut.
    const std::unique_ptr<Puzzle> puzzle = NewGameCut::grid(seed, columns, rows, size);
    const std::string text = describe(*puzzle);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int setup(const std::vector<std::string>& words) {
    const std::uint32_t width = parseUnsigned(words[0], "WIDTH");
    const std::uint32_t height = parseUnsigned(words[1], "HEIGHT");
    const std::uint32_t requested = parseUnsigned(words[2], "REQUESTED");
    // Only the size of the picture counts; no pixels are made.
    Picture picture;
    if (width != 0 || height != 0) {
        TAVO::Migration::ImageMetadata::checkSize(width, height);
        picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    }
    Setup setup;
    setup.setPicture("picture", picture);
    setup.setRequestedPieceCount(requested);
    const TAVO::Tuple<2, unsigned int> cells = setup.grid();
    const TAVO::Tuple<2, float> size = setup.puzzleSize();
    std::string out = "grid " + std::to_string(cells[0]) + ' ' + std::to_string(cells[1]) + " size ";
    hex(out, size[0]);
    out += ' ';
    hex(out, size[1]);
    out += " pieces " + std::to_string(setup.pieceCount()) + '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
        std::fputs(usage, stdout);
        std::fputs(GeneratorCommands::usage, stdout);
        return 0;
    }
    const std::string command = words.empty() ? "" : words[0];
    const std::vector<std::string> rest(words.empty() ? words.end() : words.begin() + 1, words.end());
    const bool known = (command == "grid" && rest.size() == 5) || (command == "setup" && rest.size() == 3) ||
                       (command == "scatter" && rest.size() == 5) ||
                       (command == "mesh" && (rest.size() == 5 || rest.size() == 6)) ||
                       GeneratorCommands::accepts(command, rest);
    if (!known) {
        std::fputs(usage, stderr);
        std::fputs(GeneratorCommands::usage, stderr);
        return 2;
    }
    try {
        if (command == "scatter")
            return TableCommands::scatter(rest);
        if (command == "mesh")
            return TableCommands::mesh(rest);
        if (GeneratorCommands::accepts(command, rest))
            return GeneratorCommands::run(command, rest);
        return command == "grid" ? grid(rest) : setup(rest);
    } catch (const Refusal& refusal) {
        std::fprintf(stderr, "kestrune-puzzle: %s\n", refusal.message.c_str());
    } catch (const TAVO::Exception& exception) {
        std::fprintf(stderr, "kestrune-puzzle: %s\n", exception.message().c_str());
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "kestrune-puzzle: %s\n", exception.what());
    }
    return 1;
}
