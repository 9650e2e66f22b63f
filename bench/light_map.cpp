// Times the light map of a new game as a loaded puzzle makes it on the main
// thread: the cut of the set-up, then the painting of every cut segment into
// a map of the puzzle's size, for 100, 1000 and 10000 pieces (or the counts
// given), with the map's size and its bytes.
//
//   bench_light_map [requested pieces ...]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/LightMapPainter.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Puzzle.h"
#include "model/Setup.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts = {100, 1000, 10000};
    if (argc > 1) {
        counts.clear();
        for (int i = 1; i < argc; ++i)
            counts.push_back(unsigned(std::strtoul(argv[i], nullptr, 10)));
    }
    std::printf("%8s %8s %12s %10s %10s %10s\n", "pieces", "segments", "map", "MB", "cut ms", "paint ms");
    for (unsigned requested : counts) {
        Picture picture;
        picture.metadata() = TAVO::Migration::ImageMetadata(4000, 3000, 3, 24);
        Setup setup;
        setup.setPicture("picture", picture);
        setup.setRequestedPieceCount(requested);
        auto start = Clock::now();
        const auto puzzle = setup.generate();
        const double cut = since(start);
        std::size_t segments = 0;
        for (std::uint32_t e = 0; e < puzzle->edgeCount(); ++e)
            segments += puzzle->edge(e).pointCount() - 1;
        const auto size = LightMapPainter::mapSize(setup.puzzleSize(), 16384);
        start = Clock::now();
        LightMapPainter painter(size[0], size[1]);
        painter.paintPuzzle(*puzzle);
        const double paint = since(start);
        char map[32];
        std::snprintf(map, sizeof map, "%ux%u", size[0], size[1]);
        std::printf("%8u %8zu %12s %10.1f %10.1f %10.1f\n", setup.pieceCount(), segments, map,
                    double(painter.bytes().size()) / 1e6, cut, paint);
    }
    return 0;
}
