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
// mesh is made from).
//
// setup prints "grid C R size X Y pieces N" for a picture of WIDTH x HEIGHT
// pixels and REQUESTED pieces asked for.
//
// scatter and mesh lay the cut out as a new game and print the places of the
// parts or the sizes of their meshes (see TableCommands.h).
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
#include "PuzzleText.h"
#include "TableCommands.h"
#include "model/Puzzle.h"
#include "model/Setup.h"
#include "model/edges/ClassicEdge.h"
#include "model/edges/ClassicEdgeFactory.h"
#include "model/edges/ReverseEdge.h"
#include "model/edges/StraightEdgeFactory.h"
#include "model/generators/GridPuzzleGenerator.h"

namespace {

const char* const usage =
    "usage: kestrune-puzzle grid SEED COLUMNS ROWS WIDTH HEIGHT\n"
    "       kestrune-puzzle setup WIDTH HEIGHT REQUESTED\n"
    "       kestrune-puzzle scatter SEED COLUMNS ROWS WIDTH HEIGHT\n"
    "       kestrune-puzzle mesh SEED COLUMNS ROWS WIDTH HEIGHT [plain|attribute]\n"
    "       kestrune-puzzle --help\n";

using namespace PuzzleText;

void shape(std::string& out, const ClassicEdge& edge) {
    for (float value : edge.shape()) {
        out += ' ';
        hex(out, value);
    }
}

std::string describe(const Puzzle& puzzle) {
    std::string out;
    for (std::uint32_t i = 0; i < puzzle.edgeCount(); ++i) {
        const Edge& edge = puzzle.edge(i);
        out += "edge " + std::to_string(i);
        if (const auto* classic = dynamic_cast<const ClassicEdge*>(&edge)) {
            out += " classic";
            shape(out, *classic);
        } else if (const auto* reverse = dynamic_cast<const ReverseEdge*>(&edge)) {
            out += " reverse";
            if (const auto* wrapped = dynamic_cast<const ClassicEdge*>(&reverse->wrapped()))
                shape(out, *wrapped);
        } else {
            out += " straight";
        }
        out += "\npoints " + std::to_string(i) + ' ' + std::to_string(edge.pointCount());
        for (std::uint32_t j = 0; j < edge.pointCount(); ++j)
            point(out, edge.point(j));
        out += '\n';
    }
    for (std::uint32_t p = 0; p < puzzle.pieceCount(); ++p) {
        out += "piece " + std::to_string(p);
        for (const PieceEdge& record : puzzle.piece(p))
            out += ' ' + std::to_string(record.edge) + ':' + (record.reversed ? '1' : '0');
        Polygon outline;
        puzzle.pieceOutline(p, outline);
        out += "\noutline " + std::to_string(p) + ' ' + std::to_string(outline.points().size());
        for (const auto& q : outline.points())
            point(out, q);
        out += '\n';
    }
    return out;
}

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
        return 0;
    }
    const std::string command = words.empty() ? "" : words[0];
    const std::vector<std::string> rest(words.empty() ? words.end() : words.begin() + 1, words.end());
    const bool known = (command == "grid" && rest.size() == 5) || (command == "setup" && rest.size() == 3) ||
                       (command == "scatter" && rest.size() == 5) ||
                       (command == "mesh" && (rest.size() == 5 || rest.size() == 6));
    if (!known) {
        std::fputs(usage, stderr);
        return 2;
    }
    try {
        if (command == "scatter")
            return TableCommands::scatter(rest);
        if (command == "mesh")
            return TableCommands::mesh(rest);
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
