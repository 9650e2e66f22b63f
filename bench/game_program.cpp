// Times the game as a player meets it, in this process, on the X display of
// DISPLAY (run-game.sh starts a virtual one with Mesa's software renderer):
//
// - start-up: from the start of the program's start-up (resources,
//   configuration, window, workspace, view, saved games) to its first frame
//   drawn and finished;
// - a new game of about 1000 pieces, from the request the set-up page's
//   start button makes to the first frame that shows the table;
// - frames per second while a part is carried round the table of that game,
//   with edge lighting and antialiasing on, and again with the light map;
// - resuming that game in a fresh program, from the request the saved-games
//   list makes to the first frame that shows the table.
//
//   bench_game_program [requested pieces]

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchProgram.h"
#include "game/Camera.h"
#include "game/View.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Tray.h"
#include "model/Workspace.h"

namespace {

using Clock = BenchProgram::Clock;

const std::uint32_t windowWidth = 1024, windowHeight = 768;
const char* const picturePath = "gallery/rings.png";

void writeConfiguration(const std::string& lighting) {
    BenchProgram::writeConfiguration(windowWidth, windowHeight, true, lighting);
}

// The window pixel over a part of the current tray, found on a grid.
bool pointOverPart(BenchProgram& program, int& px, int& py) {
    Camera camera;
    camera.setViewport(TAVO::Tuple<2, unsigned int>(windowWidth, windowHeight));
    const Table& table = program.workspace().table();
    const Tray& tray = table.tray(table.trayOrder().front());
    for (int y = int(windowHeight) / 4; y < int(windowHeight) * 3 / 4; y += 6)
        for (int x = int(windowWidth) / 4; x < int(windowWidth) * 3 / 4; x += 6) {
            std::uint32_t part = 0;
            if (tray.pick(camera.tablePoint(tray.pose(), camera.pixelToNormalized(x, y)), 0.0f, part)) {
                px = x, py = y;
                return true;
            }
        }
    return false;
}

void pushButton(std::uint32_t type, int x, int y) {
    SDL_Event event{};
    event.button = BenchProgram::leftButton(type, x, y);
    SDL_PushEvent(&event);
}

void pushMotion(int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.motion = BenchProgram::leftDrag(x, y, dx, dy);
    SDL_PushEvent(&event);
}

// Carries a part round a circle for a few seconds; the frames per second.
double carry(BenchProgram& program) {
    int x = 0, y = 0;
    if (!pointOverPart(program, x, y))
        return 0.0;
    pushButton(SDL_MOUSEBUTTONDOWN, x, y);
    program.frame();
    if (!program.view().partDragActive()) {
        std::fprintf(stderr, "no part was taken up at (%d, %d)\n", x, y);
        return 0.0;
    }
    const auto start = Clock::now();
    std::uint32_t frames = 0;
    int lastX = x, lastY = y;
    while (BenchProgram::millisecondsSince(start) < 4000.0) {
        const double angle = frames * 0.05;
        const int nx = x + int(std::lround(120.0 * std::sin(angle)));
        const int ny = y + int(std::lround(120.0 * (1.0 - std::cos(angle))));
        pushMotion(nx, ny, nx - lastX, ny - lastY);
        lastX = nx, lastY = ny;
        program.frame();
        ++frames;
    }
    const double fps = frames * 1000.0 / BenchProgram::millisecondsSince(start);
    pushButton(SDL_MOUSEBUTTONUP, lastX, lastY);
    program.frame();
    return fps;
}

// Frames per second of the table left alone.
double idle(BenchProgram& program) {
    const auto start = Clock::now();
    std::uint32_t frames = 0;
    while (BenchProgram::millisecondsSince(start) < 2000.0) {
        program.frame();
        ++frames;
    }
    return frames * 1000.0 / BenchProgram::millisecondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t requested = argc > 1 ? std::uint32_t(std::strtoul(argv[1], nullptr, 10)) : 1000;
    const std::filesystem::path folder = BenchProgram::enterFolder("kestrune-bench-game");
    BenchProgram::writeRingsPicture(picturePath, 1600, 1200, false);
    writeConfiguration("attribute");
    std::printf("window %u x %u, renderer from the environment (LIBGL_ALWAYS_SOFTWARE=%s)\n", windowWidth,
                windowHeight, BenchProgram::softwareRendering());

    // Start-up to the first frame, five times.
    std::vector<double> startUps;
    for (int i = 0; i < 5; ++i) {
        BenchProgram program;
        const auto start = Clock::now();
        if (!program.open()) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        startUps.push_back(BenchProgram::millisecondsSince(start));
        program.finish();
    }
    std::printf("start-up to the first frame: median %.1f ms (of %zu: %.1f to %.1f)\n",
                BenchProgram::median(startUps), startUps.size(), *std::min_element(startUps.begin(), startUps.end()),
                *std::max_element(startUps.begin(), startUps.end()));

    std::string game;
    std::uint32_t pieces = 0;
    {
        BenchProgram program;
        if (!program.open())
            return 1;
        // What the picture page leaves in the set-up, then the start button.
        pieces = program.setUpGame(picturePath, requested);
        if (pieces == 0)
            return 1;
        const auto start = Clock::now();
        if (!program.startNewGame(pieces))
            return 1;
        std::printf("new game of %u pieces, start to table: %.1f ms\n", pieces,
                    BenchProgram::millisecondsSince(start));
        game = program.workspace().shelf().currentGame();
        std::printf("the table left alone, edge lighting and antialiasing: %.1f frames per second\n", idle(program));
        std::printf("carrying a part, edge lighting and antialiasing: %.1f frames per second\n", carry(program));
        program.finish();
    }

    for (const char* lighting : {"attribute", "map"}) {
        writeConfiguration(lighting);
        BenchProgram program;
        if (!program.open())
            return 1;
        const auto start = Clock::now();
        program.resume(game);
        if (!program.waitForTable(1)) {
            std::fprintf(stderr, "the saved game did not load\n");
            return 1;
        }
        std::printf("resuming the game of %u pieces (lighting %s): %.1f ms\n", pieces, lighting,
                    BenchProgram::millisecondsSince(start));
        if (std::string(lighting) == "map")
            std::printf("carrying a part, light map and antialiasing: %.1f frames per second\n", carry(program));
        program.finish();
    }
    BenchProgram::leaveFolder(folder);
    return 0;
}
