// Times the making of a new game's puzzle model: the cut of a set-up, one
// part per piece (bounds, hit-test tree, neighbours), the piece outlines,
// joining every piece into one part, and hit tests.
//
//   bench_puzzle_cut [requested pieces] [picture width] [picture height]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "geometry/Polygon.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Part.h"
#include "model/Puzzle.h"
#include "model/Setup.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const unsigned requested = argc > 1 ? unsigned(std::atoi(argv[1])) : 10000u;
    const unsigned width = argc > 2 ? unsigned(std::atoi(argv[2])) : 4000u;
    const unsigned height = argc > 3 ? unsigned(std::atoi(argv[3])) : 3000u;

    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    Setup setup;
    setup.setPicture("picture", picture);
    setup.setRequestedPieceCount(requested);

    auto start = Clock::now();
    const auto puzzle = setup.generate();
    const double cut = since(start);

    start = Clock::now();
    std::vector<Part> parts;
    parts.reserve(puzzle->pieceCount());
    for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p)
        parts.emplace_back(*puzzle, p);
    const double partTime = since(start);
    std::size_t nodes = 0;
    for (const Part& part : parts)
        nodes += part.trees().front().nodes().size();

    start = Clock::now();
    std::size_t points = 0;
    for (std::uint32_t p = 0; p < puzzle->pieceCount(); ++p) {
        Polygon outline;
        puzzle->pieceOutline(p, outline);
        points += outline.points().size();
    }
    const double outlineTime = since(start);

    start = Clock::now();
    const TAVO::Tuple<2, float> size = setup.puzzleSize();
    std::size_t hits = 0;
    const int probes = 1000000;
    for (int i = 0; i < probes; ++i) {
        const TAVO::Point<2, float> q(size[0] * float(i % 1000) / 1000.0f, size[1] * float(i / 1000) / 1000.0f);
        const TAVO::Tuple<2, unsigned int> grid = setup.grid();
        const std::uint32_t x = std::min(grid[0] - 1, std::uint32_t(q[0] / size[0] * float(grid[0])));
        const std::uint32_t y = std::min(grid[1] - 1, std::uint32_t(q[1] / size[1] * float(grid[1])));
        hits += parts[y * grid[0] + x].contains(q) ? 1 : 0;
    }
    const double hitTime = since(start);

    // Join row by row into one part: every join recomputes the neighbours.
    start = Clock::now();
    Part whole = parts.front();
    const std::uint32_t joins = std::min<std::uint32_t>(puzzle->pieceCount() - 1, 2000);
    for (std::uint32_t p = 1; p <= joins; ++p)
        whole.join(*puzzle, parts[p]);
    const double joinTime = since(start);

    std::printf("grid %u x %u (%u pieces, %u edges), puzzle %.0f x %.0f\n", setup.grid()[0], setup.grid()[1],
                puzzle->pieceCount(), puzzle->edgeCount(), size[0], size[1]);
    std::printf("cut          %8.1f ms\n", cut);
    std::printf("parts        %8.1f ms  (%.1f tree nodes a piece)\n", partTime, double(nodes) / parts.size());
    std::printf("outlines     %8.1f ms  (%.1f points a piece)\n", outlineTime, double(points) / parts.size());
    std::printf("hit tests    %8.1f ms  (%d probes, %zu inside)\n", hitTime, probes, hits);
    std::printf("joins        %8.1f ms  (%u joins into one part)\n", joinTime, joins);
    return 0;
}
