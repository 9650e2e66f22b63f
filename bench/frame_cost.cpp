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
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/BenchProgram.h"
#include "game/View.h"
#include "model/Table.h"
#include "model/Tray.h"
#include "model/Workspace.h"
#include "sdlgl/Application.h"

namespace {

using Clock = BenchProgram::Clock;

const char* const picturePath = "gallery/photo.png";
const std::uint32_t requestedPieces = 999;

struct Setting {
    std::uint32_t width;
    std::uint32_t height;
    bool antialiasing;
    std::string lighting;

    std::string name() const {
        return std::to_string(width) + " x " + std::to_string(height) + ", antialiasing " +
               (antialiasing ? "on " : "off") + ", lighting " + lighting;
    }
    void writeConfiguration() const { BenchProgram::writeConfiguration(width, height, antialiasing, lighting); }
};

// The window pixel at the middle of the part of the current tray whose
// middle lies nearest the middle of the window.
bool pointOverPart(BenchProgram& program, std::uint32_t width, std::uint32_t height, int& px, int& py) {
    const Table& table = program.workspace().table();
    const Tray& tray = table.tray(program.view().currentTray());
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

struct Round {
    double draw = 0.0;
    double swap = 0.0;
};

// One round of a setting: the game resumed in a fresh program, a part
// carried for the given number of frames; the median draw and swap times.
bool measure(const Setting& setting, const std::string& game, std::uint32_t frames, Round& round) {
    setting.writeConfiguration();
    BenchProgram program;
    if (!program.open())
        return false;
    program.resume(game);
    if (!program.waitForTable(1)) {
        std::fprintf(stderr, "the saved game did not load\n");
        return false;
    }
    int x = 0, y = 0;
    if (!pointOverPart(program, setting.width, setting.height, x, y)) {
        std::fprintf(stderr, "no part near the middle of the window\n");
        return false;
    }
    View& view = program.view();
    view.mouseButtonDown(BenchProgram::leftButton(SDL_MOUSEBUTTONDOWN, x, y));
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
        view.mouseMotion(BenchProgram::leftDrag(nx, ny, nx - lastX, ny - lastY));
        lastX = nx, lastY = ny;
        const auto start = Clock::now();
        view.draw();
        glFinish();
        const auto drawn = Clock::now();
        program.application().swap();
        const double draw = std::chrono::duration<double, std::milli>(drawn - start).count();
        const double swap = BenchProgram::millisecondsSince(drawn);
        if (i >= warmUp) {
            draws.push_back(draw);
            swaps.push_back(swap);
        }
    }
    view.mouseButtonUp(BenchProgram::leftButton(SDL_MOUSEBUTTONUP, lastX, lastY));
    program.finish();
    round.draw = BenchProgram::median(draws);
    round.swap = BenchProgram::median(swaps);
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

    const std::filesystem::path folder =
        BenchProgram::enterFolder("kestrune-bench-frame-" + std::to_string(::getpid()));
    // A 4000 x 3000 picture with detail everywhere.
    BenchProgram::writeRingsPicture(picturePath, 4000, 3000, true);

    std::vector<Setting> settings;
    for (const std::string& lighting : lightings)
        for (const auto& [w, h] : {std::pair<std::uint32_t, std::uint32_t>{1280, 1024}, {800, 600}})
            for (bool antialiasing : {true, false})
                settings.push_back(Setting{w, h, antialiasing, lighting});

    std::string game;
    std::uint32_t pieces = 0;
    {
        settings.front().writeConfiguration();
        BenchProgram program;
        if (!program.open())
            return 1;
        pieces = program.setUpGame(picturePath, requestedPieces);
        if (pieces == 0 || !program.startNewGame(pieces))
            return 1;
        game = program.workspace().shelf().currentGame();
        program.finish();
    }
    std::printf("a game of %u pieces from a 4000 x 3000 picture; %d rounds of %u frames; renderer from the "
                "environment (LIBGL_ALWAYS_SOFTWARE=%s)\n",
                pieces, rounds, frames, BenchProgram::softwareRendering());

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
                    settings[s].name().c_str(), BenchProgram::median(draws), BenchProgram::median(swaps),
                    BenchProgram::median(updates), rounds,
                    *std::min_element(draws.begin(), draws.end()), *std::max_element(draws.begin(), draws.end()));
    }
    BenchProgram::leaveFolder(folder);
    return 0;
}
