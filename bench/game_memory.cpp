// The memory a game's load takes in the game, one load a process, on the X
// display of DISPLAY (run-memory.sh starts a virtual one with Mesa's
// software renderer), in the working folder:
//
//   bench_game_memory new PICTURE REQUESTED   the picture set up as the
//       picture page leaves it, then a new game of it started as the start
//       button starts it;
//   bench_game_memory resume GAME             the saved game GAME of the
//       folder's puzzles.dat resumed from the saved-games list, once its
//       thumbnails are shown;
//
// each up to the table's first frames (the view's buffers and picture
// uploaded and drawn). The folder's configuration.txt is written when there
// is none. Prints the process's peak resident memory (VmHWM), as GNU time
// reports it, and the time from the request to the table shown:
//
//   peak KIB kB
//   load MS ms

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchProgram.h"
#include "model/Shelf.h"
#include "model/Workspace.h"

namespace {

using Clock = BenchProgram::Clock;

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "new" && argc == 4) || (mode == "resume" && argc == 3))) {
        std::fprintf(stderr, "usage: bench_game_memory new PICTURE REQUESTED | resume GAME\n");
        return 2;
    }
    if (!std::filesystem::exists("configuration.txt"))
        BenchProgram::writeConfiguration(1280, 1024, true, "attribute");
    BenchProgram program;
    if (!program.open()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    double load = 0.0;
    if (mode == "new") {
        const std::uint32_t pieces =
            program.setUpGame(std::filesystem::absolute(argv[2]).string(), std::uint32_t(std::atol(argv[3])));
        if (pieces == 0)
            return 1;
        const auto start = Clock::now();
        if (!program.startNewGame(pieces))
            return 1;
        load = BenchProgram::millisecondsSince(start);
    } else {
        if (!program.waitForThumbnails()) {
            std::fprintf(stderr, "the thumbnails did not arrive\n");
            return 1;
        }
        const auto start = Clock::now();
        program.resume(argv[2]);
        if (!program.waitForTable(1)) {
            std::fprintf(stderr, "the saved game did not load\n");
            return 1;
        }
        load = BenchProgram::millisecondsSince(start);
    }
    // A few frames more, as a player looks at the table.
    for (int i = 0; i < 10; ++i)
        program.frame();
    std::printf("peak %ld kB\nload %.1f ms\n", BenchProgram::peakResidentKilobytes(), load);
    std::fflush(stdout);
    program.finish();
    return 0;
}
