// The cost of one frame while a part is carried over a table of about 1000
// pieces cut from a 4000 x 3000 picture, in this process, on the X display of
// DISPLAY (run-frame-cost.sh starts a virtual one with Mesa's software
// renderer). For each window size, antialiasing on and off and each lighting
// mode asked for, a part is taken up near the middle of the window and
// carried round a circle; every frame is one pointer motion, the view's
// frame finished (glFinish) and the buffer swap. Reported per setting, as
// the median of the rounds:
//
// - draw: milliseconds from the start of the view's frame to its end on the
//   GPU (glFinish);
// - swap: milliseconds of the swap that shows it;
// - updates per second: 1000 / (draw + swap), what a loop that draws every
//   frame could show.
//
// The game is made once and resumed for every setting, so each setting
// starts from the same table. The machine may be shared: the rounds of the
// settings are interleaved and the medians given.
//
//   bench_frame_cost [rounds] [frames] [lighting ...]
//   (defaults: 5 rounds of 120 frames, lighting "attribute")

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

#include <unistd.h>

#include "foundation/streams/IncrementalBuffer.h"
#include "game/GameProgram.h"
#include "game/View.h"
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
#include "sdlgl/Application.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* const picturePath = "gallery/photo.png";
const std::uint32_t requestedPieces = 999;

// A 4000 x 3000 picture with detail everywhere, written with the project's
// encoder.
void writePicture() {
    const std::uint32_t width = 4000, height = 3000;
    TAVO::IncrementalBuffer pixels(0, width * height * 3);
    std::uint8_t* p = pixels.data();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            const double r = std::hypot(double(x) - width / 2.0, double(y) - height / 2.0);
            p[0] = std::uint8_t(127 + 127 * std::sin(r / 23.0));
            p[1] = std::uint8_t(x * 255 / width);
            p[2] = std::uint8_t((y * 255 / height) ^ ((x / 7) & 31));
        }
    std::filesystem::create_directories("gallery");
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(pixels, TAVO::Migration::ImageMetadata(width, height, 3, 24), picturePath,
                                          exporter);
}

struct Setting {
    std::uint32_t width;
    std::uint32_t height;
    bool antialiasing;
    std::string lighting;

    std::string name() const {
        return std::to_string(width) + " x " + std::to_string(height) + ", antialiasing " +
               (antialiasing ? "on " : "off") + ", lighting " + lighting;
    }
};

void writeConfiguration(const Setting& setting) {
    std::ofstream("configuration.txt", std::ios::trunc)
        << "window_width=" << setting.width << "\nwindow_height=" << setting.height
        << "\nmaximized=false\nantialiasing=" << (setting.antialiasing ? "true" : "false")
        << "\nlighting=" << setting.lighting << "\n";
}

class Program : public GameProgram {
public:
    Program() : GameProgram(BuiltInResources::data(), BuiltInResources::size()) {}

    bool open() {
        const char* argv[] = {"kestrune", "--configuration", "configuration.txt"};
        std::ostringstream out, err;
        int code = 0;
        if (!processCommandLine(3, argv, out, err, code))
            return false;
        openLog();
        start();
        pass();
        return true;
    }
    // Passes until the table holds the game's parts and a frame shows them.
    bool waitForTable(std::uint32_t minimumParts) {
        const auto start = Clock::now();
        while (millisecondsSince(start) < 600000.0) {
            pass();
            if (workspace().puzzle() != nullptr && workspace().table().tray(0).partCount() >= minimumParts) {
                pass();
                glFinish();
                return true;
            }
        }
        return false;
    }
    // The window pixel at the middle of the part of the current tray whose
    // middle lies nearest the middle of the window.
    bool pointOverPart(std::uint32_t width, std::uint32_t height, int& px, int& py) {
        const Table& table = workspace().table();
        const Tray& tray = table.tray(view().currentTray());
        const TrayPose pose = tray.pose();
        const float scale = std::exp2(pose.level());
        bool found = false;
        float best = 0.0f;
        for (Tray::PartIterator it = tray.parts(); it.valid(); it.next()) {
            const Tray::Pose part = tray.partPose(it.current());
            const TAVO::Hyperrectangle<2, float> bounds = table.part(it.current()).bounds();
            // The part's middle in pixels from the window's middle.
            const float x = (part.position()[0] + bounds.extent()[0] / 2 + pose.position()[0]) * scale;
            const float y = (part.position()[1] + bounds.extent()[1] / 2 + pose.position()[1]) * scale;
            if (!found || x * x + y * y < best) {
                found = true;
                best = x * x + y * y;
                px = int(std::lround(float(width) / 2 + x - 0.5f));
                py = int(height) - 1 - int(std::lround(float(height) / 2 + y - 0.5f));
            }
        }
        return found;
    }
    void finish() {
        stop();
        release();
    }
};

SDL_MouseButtonEvent button(std::uint32_t type, int x, int y) {
    SDL_MouseButtonEvent event{};
    event.type = type;
    event.button = SDL_BUTTON_LEFT;
    event.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.x = x;
    event.y = y;
    return event;
}

SDL_MouseMotionEvent motion(int x, int y, int dx, int dy) {
    SDL_MouseMotionEvent event{};
    event.type = SDL_MOUSEMOTION;
    event.state = SDL_BUTTON_LMASK;
    event.x = x;
    event.y = y;
    event.xrel = dx;
    event.yrel = dy;
    return event;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Round {
    double draw = 0.0;
    double swap = 0.0;
};

// One round of a setting: the game resumed in a fresh program, a part
// carried for the given number of frames; the median draw and swap times.
bool measure(const Setting& setting, const std::string& game, std::uint32_t frames, Round& round) {
    writeConfiguration(setting);
    Program program;
    if (!program.open())
        return false;
    program.workspace().shelf().setCurrentGame(game);
    program.workspace().shelf().loadGame();
    if (!program.waitForTable(1)) {
        std::fprintf(stderr, "the saved game did not load\n");
        return false;
    }
    int x = 0, y = 0;
    if (!program.pointOverPart(setting.width, setting.height, x, y)) {
        std::fprintf(stderr, "no part near the middle of the window\n");
        return false;
    }
    View& view = program.view();
    view.mouseButtonDown(button(SDL_MOUSEBUTTONDOWN, x, y));
    if (!view.partDragActive()) {
        std::fprintf(stderr, "no part was taken up at (%d, %d)\n", x, y);
        return false;
    }
    std::vector<double> draws, swaps;
    int lastX = x, lastY = y;
    // A few frames first, so that nothing made on the first frame counts.
    const std::uint32_t warmUp = 5;
    for (std::uint32_t i = 0; i < frames + warmUp; ++i) {
        const double angle = i * 0.05;
        const int nx = x + int(std::lround(120.0 * std::sin(angle)));
        const int ny = y + int(std::lround(120.0 * (1.0 - std::cos(angle))));
        view.mouseMotion(motion(nx, ny, nx - lastX, ny - lastY));
        lastX = nx, lastY = ny;
        const auto start = Clock::now();
        view.draw();
        glFinish();
        const auto drawn = Clock::now();
        program.application().swap();
        const double draw = std::chrono::duration<double, std::milli>(drawn - start).count();
        const double swap = millisecondsSince(drawn);
        if (i >= warmUp) {
            draws.push_back(draw);
            swaps.push_back(swap);
        }
    }
    view.mouseButtonUp(button(SDL_MOUSEBUTTONUP, lastX, lastY));
    program.finish();
    round.draw = median(draws);
    round.swap = median(swaps);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::uint32_t frames = argc > 2 ? std::uint32_t(std::max(1, std::atoi(argv[2]))) : 120;
    std::vector<std::string> lightings;
    for (int i = 3; i < argc; ++i)
        lightings.push_back(argv[i]);
    if (lightings.empty())
        lightings.push_back("attribute");

    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("kestrune-bench-frame-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    writePicture();

    std::vector<Setting> settings;
    for (const std::string& lighting : lightings)
        for (const auto& [w, h] : {std::pair<std::uint32_t, std::uint32_t>{1280, 1024}, {800, 600}})
            for (bool antialiasing : {true, false})
                settings.push_back(Setting{w, h, antialiasing, lighting});

    std::string game;
    std::uint32_t pieces = 0;
    {
        writeConfiguration(settings.front());
        Program program;
        if (!program.open())
            return 1;
        Picture picture;
        if (!program.workspace().loader().loadPicture(picturePath, picture))
            return 1;
        Setup& setup = program.workspace().menuSetup();
        setup.setPicture(picturePath, picture);
        setup.setRequestedPieceCount(requestedPieces);
        pieces = setup.pieceCount();
        program.workspace().newGame();
        if (!program.waitForTable(pieces)) {
            std::fprintf(stderr, "the new game did not arrive\n");
            return 1;
        }
        game = program.workspace().shelf().currentGame();
        program.finish();
    }
    std::printf("a game of %u pieces from a 4000 x 3000 picture; %d rounds of %u frames; renderer from the "
                "environment (LIBGL_ALWAYS_SOFTWARE=%s)\n",
                pieces, rounds, frames,
                std::getenv("LIBGL_ALWAYS_SOFTWARE") != nullptr ? std::getenv("LIBGL_ALWAYS_SOFTWARE") : "");

    std::vector<std::vector<Round>> results(settings.size());
    for (int r = 0; r < rounds; ++r)
        for (std::size_t s = 0; s < settings.size(); ++s) {
            Round round;
            if (!measure(settings[s], game, frames, round))
                return 1;
            results[s].push_back(round);
        }

    for (std::size_t s = 0; s < settings.size(); ++s) {
        std::vector<double> draws, swaps, updates;
        for (const Round& round : results[s]) {
            draws.push_back(round.draw);
            swaps.push_back(round.swap);
            updates.push_back(1000.0 / (round.draw + round.swap));
        }
        std::printf("carrying, %s: draw %.2f ms, swap %.2f ms, %.1f updates per second (medians of %d; draw "
                    "%.2f to %.2f)\n",
                    settings[s].name().c_str(), median(draws), median(swaps), median(updates), rounds,
                    *std::min_element(draws.begin(), draws.end()), *std::max_element(draws.begin(), draws.end()));
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
