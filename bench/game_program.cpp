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

#include <GL/glew.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/streams/IncrementalBuffer.h"
#include "game/Camera.h"
#include "game/GameProgram.h"
#include "imaging/Factory.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "imaging/codecs/PNGExporter.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Tray.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"
#include "game/View.h"
#include "sdlgl/Application.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const std::uint32_t windowWidth = 1024, windowHeight = 768;
const char* const picturePath = "gallery/rings.png";

// A 1600 x 1200 picture of coloured rings, written with the project's encoder.
void writePicture() {
    const std::uint32_t width = 1600, height = 1200;
    TAVO::IncrementalBuffer pixels(0, width * height * 3);
    std::uint8_t* p = pixels.data();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            const double r = std::hypot(double(x) - width / 2.0, double(y) - height / 2.0);
            p[0] = std::uint8_t(127 + 127 * std::sin(r / 23.0));
            p[1] = std::uint8_t(x * 255 / width);
            p[2] = std::uint8_t(y * 255 / height);
        }
    std::filesystem::create_directories("gallery");
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(pixels, TAVO::Migration::ImageMetadata(width, height, 3, 24), picturePath,
                                          exporter);
}

void writeConfiguration(const std::string& lighting) {
    std::ofstream("configuration.txt", std::ios::trunc)
        << "window_width=" << windowWidth << "\nwindow_height=" << windowHeight
        << "\nmaximized=false\nantialiasing=true\nlighting=" << lighting << "\n";
}

class Program : public GameProgram {
public:
    Program() : GameProgram(BuiltInResources::data(), BuiltInResources::size()) {}

    // Up to the first frame; false when the program did not start.
    bool open() {
        const char* argv[] = {"kestrune", "--configuration", "configuration.txt"};
        std::ostringstream out, err;
        int code = 0;
        if (!processCommandLine(3, argv, out, err, code))
            return false;
        openLog();
        start();
        frame();
        return true;
    }
    // One pass of the main loop with a frame drawn: the loop's own when it
    // drew one, else one drawn here (the loop draws only what changed, at
    // most once per refresh; these figures are of the drawing).
    void frame() {
        const std::uint64_t drawn = framesDrawn();
        pass();
        if (framesDrawn() == drawn)
            drawFrame();
        glFinish();
    }
    // Passes until the table holds the game's parts and a frame shows them.
    bool waitForTable(std::uint32_t minimumParts) {
        const auto start = Clock::now();
        while (millisecondsSince(start) < 600000.0) {
            frame();
            if (workspace().puzzle() != nullptr && workspace().table().tray(0).partCount() >= minimumParts) {
                frame();
                return true;
            }
        }
        return false;
    }
    // The window pixel over a part of the current tray, found on a grid.
    bool pointOverPart(int& px, int& py) {
        Camera camera;
        camera.setViewport(TAVO::Tuple<2, unsigned int>(windowWidth, windowHeight));
        const Tray& tray = workspace().table().tray(workspace().table().trayOrder().front());
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
    void finish() {
        stop();
        release();
    }
};

void pushButton(std::uint32_t type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void pushMotion(int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.state = SDL_BUTTON_LMASK;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Carries a part round a circle for a few seconds; the frames per second.
double carry(Program& program) {
    int x = 0, y = 0;
    if (!program.pointOverPart(x, y))
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
    while (millisecondsSince(start) < 4000.0) {
        const double angle = frames * 0.05;
        const int nx = x + int(std::lround(120.0 * std::sin(angle)));
        const int ny = y + int(std::lround(120.0 * (1.0 - std::cos(angle))));
        pushMotion(nx, ny, nx - lastX, ny - lastY);
        lastX = nx, lastY = ny;
        program.frame();
        ++frames;
    }
    const double fps = frames * 1000.0 / millisecondsSince(start);
    pushButton(SDL_MOUSEBUTTONUP, lastX, lastY);
    program.frame();
    return fps;
}

// Frames per second of the table left alone.
double idle(Program& program) {
    const auto start = Clock::now();
    std::uint32_t frames = 0;
    while (millisecondsSince(start) < 2000.0) {
        program.frame();
        ++frames;
    }
    return frames * 1000.0 / millisecondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t requested = argc > 1 ? std::uint32_t(std::strtoul(argv[1], nullptr, 10)) : 1000;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrune-bench-game";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    writePicture();
    writeConfiguration("attribute");
    std::printf("window %u x %u, renderer from the environment (LIBGL_ALWAYS_SOFTWARE=%s)\n", windowWidth,
                windowHeight, std::getenv("LIBGL_ALWAYS_SOFTWARE") != nullptr ? std::getenv("LIBGL_ALWAYS_SOFTWARE") : "");

    // Start-up to the first frame, five times.
    std::vector<double> startUps;
    for (int i = 0; i < 5; ++i) {
        Program program;
        const auto start = Clock::now();
        if (!program.open()) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        startUps.push_back(millisecondsSince(start));
        program.finish();
    }
    std::printf("start-up to the first frame: median %.1f ms (of %zu: %.1f to %.1f)\n", median(startUps),
                startUps.size(), *std::min_element(startUps.begin(), startUps.end()),
                *std::max_element(startUps.begin(), startUps.end()));

    std::string game;
    std::uint32_t pieces = 0;
    {
        Program program;
        if (!program.open())
            return 1;
        // What the picture page leaves in the set-up, then the start button.
        Picture picture;
        if (!program.workspace().loader().loadPicture(picturePath, picture))
            return 1;
        Setup& setup = program.workspace().menuSetup();
        setup.setPicture(picturePath, picture);
        setup.setRequestedPieceCount(requested);
        pieces = setup.pieceCount();
        const auto start = Clock::now();
        program.workspace().newGame();
        if (!program.waitForTable(pieces)) {
            std::fprintf(stderr, "the new game did not arrive\n");
            return 1;
        }
        std::printf("new game of %u pieces, start to table: %.1f ms\n", pieces, millisecondsSince(start));
        game = program.workspace().shelf().currentGame();
        std::printf("the table left alone, edge lighting and antialiasing: %.1f frames per second\n", idle(program));
        std::printf("carrying a part, edge lighting and antialiasing: %.1f frames per second\n", carry(program));
        program.finish();
    }

    for (const char* lighting : {"attribute", "map"}) {
        writeConfiguration(lighting);
        Program program;
        if (!program.open())
            return 1;
        const auto start = Clock::now();
        program.workspace().shelf().setCurrentGame(game);
        program.workspace().shelf().loadGame();
        if (!program.waitForTable(1)) {
            std::fprintf(stderr, "the saved game did not load\n");
            return 1;
        }
        std::printf("resuming the game of %u pieces (lighting %s): %.1f ms\n", pieces, lighting,
                    millisecondsSince(start));
        if (std::string(lighting) == "map")
            std::printf("carrying a part, light map and antialiasing: %.1f frames per second\n", carry(program));
        program.finish();
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
