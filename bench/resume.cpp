// Times resuming a saved game and launching the game, in this process, on
// the X display of DISPLAY (run-resume.sh starts a virtual one with Mesa's
// software renderer), with a picture file of one's own (a large JPEG: the
// picture decode is a good part of a resume):
//
// - the load's parts one after the other, each as the game runs it: the
//   picture decode, the cut, reading the table, the meshes (attribute
//   lighting);
// - launch: from the start of the program's start-up to its first frame
//   drawn and finished (the first page with the saved games listed);
// - resume: from the request the saved-games list makes to the first frame
//   that shows the table, split into the wait for the load job, its
//   completion on the main thread (the view's buffers and picture upload)
//   and the frame; then the next frame, for what the first one paid once
//   (the driver's first use of the drawing's programs). While the game
//   loads the loading page is drawn 60 times a second, or, every other
//   run, nothing is drawn (the load alone);
//
// each repeated RUNS times in fresh programs, medians and ranges printed.
//
//   bench_resume PICTURE [requested pieces] [runs] [window width] [window height]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchProgram.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/threads/Log.h"
#include "game/View.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "model/PuzzleEventHandler.h"
#include "model/SavedGames.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Workspace.h"

namespace {

using Clock = BenchProgram::Clock;

// Hands every notification of the model to the view, timing the view's
// work on a loaded game.
class TimedView : public PuzzleEventHandler {
public:
    explicit TimedView(View& view) : view_(view) {}
    void puzzleLoaded(PartMeshSet& meshes) override {
        start = Clock::now();
        view_.puzzleLoaded(meshes);
        end = Clock::now();
        loaded = true;
    }
    void puzzleFailed() override { view_.puzzleFailed(); }
    void trayAdded(std::uint32_t tray) override { view_.trayAdded(tray); }
    void trayRemoved(std::uint32_t tray) override { view_.trayRemoved(tray); }
    void trayChanged(std::uint32_t tray) override { view_.trayChanged(tray); }
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) override {
        view_.partsJoined(joined, part);
    }
    void puzzleCompleted() override { view_.puzzleCompleted(); }

    bool loaded = false;
    Clock::time_point start, end;

private:
    View& view_;
};

struct Series {
    const char* name;
    std::vector<double> values;

    void print() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-52s median %8.1f ms  (of %zu: %.1f to %.1f)\n", name, sorted[sorted.size() / 2],
                    sorted.size(), sorted.front(), sorted.back());
    }
};

class QuietLog : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(); }

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void*, std::uint64_t) override {}
    };
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_resume PICTURE [requested pieces] [runs] [width] [height]\n");
        return 2;
    }
    const std::filesystem::path source = std::filesystem::absolute(argv[1]);
    const std::uint32_t requested = argc > 2 ? std::uint32_t(std::strtoul(argv[2], nullptr, 10)) : 1000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    std::uint32_t windowWidth = 1280, windowHeight = 1024;
    if (argc > 5) {
        windowWidth = std::uint32_t(std::strtoul(argv[4], nullptr, 10));
        windowHeight = std::uint32_t(std::strtoul(argv[5], nullptr, 10));
    }
    const std::filesystem::path folder = BenchProgram::enterFolder("kestrune-bench-resume");
    std::filesystem::create_directories("gallery");
    const std::string picturePath = "gallery/" + source.filename().string();
    std::filesystem::copy_file(source, picturePath);
    BenchProgram::writeConfiguration(windowWidth, windowHeight, true, "attribute");
    std::printf("window %u x %u, attribute lighting, antialiasing, LIBGL_ALWAYS_SOFTWARE=%s\n", windowWidth,
                windowHeight, BenchProgram::softwareRendering());

    // The saved game.
    std::string game;
    std::uint32_t pieces = 0;
    {
        BenchProgram program;
        if (!program.open())
            return 1;
        pieces = program.setUpGame(picturePath, requested);
        if (pieces == 0)
            return 1;
        const TAVO::Migration::ImageMetadata picture = program.workspace().menuSetup().picture().metadataConst();
        std::printf("picture %u x %u\n", picture.width(), picture.height());
        if (!program.startNewGame(pieces))
            return 1;
        game = program.workspace().shelf().currentGame();
        program.finish();
    }
    std::printf("game of %u pieces\n", pieces);

    // The parts of a load, one after the other.
    {
        QuietLog log;
        PictureLoader loader(log);
        Series decode{"picture decode", {}}, cut{"cut (Setup::generate)", {}}, table{"table read and replay", {}},
            meshes{"attribute meshes", {}};
        TAVO::IncrementalBuffer setupBytes, tableBytes;
        {
            TAVO::ArchiveFile file("puzzles.dat", true, false);
            TAVO::Archive* archive = file.archive();
            if (archive == nullptr ||
                !SavedGames::readEntry(*archive, SavedGames::setupEntry(game), SavedGames::maximumSetupBytes,
                                       setupBytes) ||
                !SavedGames::readEntry(*archive, SavedGames::tableEntry(game), SavedGames::maximumTableBytes,
                                       tableBytes)) {
                std::fprintf(stderr, "the saved game cannot be read\n");
                return 1;
            }
        }
        for (int run = 0; run < runs; ++run) {
            Setup setup;
            SavedGames::readSetup(setupBytes, setup, log);
            Picture picture;
            auto start = Clock::now();
            if (!loader.loadPicture(setup.pictureName(), picture))
                return 1;
            decode.values.push_back(BenchProgram::millisecondsSince(start));
            setup.setPicture(setup.pictureName(), picture);
            start = Clock::now();
            std::unique_ptr<Puzzle> puzzle = setup.generate();
            cut.values.push_back(BenchProgram::millisecondsSince(start));
            Table loaded;
            start = Clock::now();
            SavedGames::readTable(tableBytes, *puzzle, loaded, log);
            table.values.push_back(BenchProgram::millisecondsSince(start));
            PartMeshSet set;
            start = Clock::now();
            set.build(*puzzle, loaded, true);
            meshes.values.push_back(BenchProgram::millisecondsSince(start));
        }
        for (const Series* series : {&decode, &cut, &table, &meshes})
            series->print();
    }

    // Every other run draws nothing while the game loads, for the load alone.
    Series launch{"launch to the first frame", {}},
        waited[2] = {{"resume: click to the load's completion", {}},
                     {"  the same, nothing drawn while loading", {}}},
        installed{"resume: the completion (buffers, picture upload)", {}},
        shown{"resume: the first frame of the table", {}},
        total[2] = {{"resume: click to pieces shown", {}}, {"  the same, nothing drawn while loading", {}}},
        second{"resume: the next frame of the table", {}};
    for (int run = 0; run < 2 * runs; ++run) {
        const int quiet = run % 2;
        BenchProgram program;
        const auto start = Clock::now();
        if (!program.open()) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        launch.values.push_back(BenchProgram::millisecondsSince(start));
        if (!program.waitForThumbnails()) {
            std::fprintf(stderr, "the thumbnails did not arrive\n");
            return 1;
        }
        TimedView timed(program.view());
        program.workspace().setEventHandler(&timed);
        // The click as the list makes it. Meanwhile the loading page is
        // drawn at the display's pace, 60 frames a second (a loop drawing as
        // fast as it can would take the processor from the load), or the
        // finished jobs are only looked for as often.
        const auto click = Clock::now();
        program.resume(game);
        auto next = click;
        while (!timed.loaded && BenchProgram::millisecondsSince(click) < 600000.0) {
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
            if (quiet != 0) {
                program.workspace().poll();
                if (timed.loaded)
                    program.frame();
            } else {
                program.frame();
            }
        }
        const double end = BenchProgram::millisecondsSince(click);
        program.workspace().setEventHandler(&program.view());
        if (!timed.loaded || program.workspace().puzzle() == nullptr) {
            std::fprintf(stderr, "the saved game did not load\n");
            return 1;
        }
        const double completed = std::chrono::duration<double, std::milli>(timed.end - click).count();
        waited[quiet].values.push_back(std::chrono::duration<double, std::milli>(timed.start - click).count());
        installed.values.push_back(std::chrono::duration<double, std::milli>(timed.end - timed.start).count());
        shown.values.push_back(end - completed);
        total[quiet].values.push_back(end);
        const auto again = Clock::now();
        program.frame();
        second.values.push_back(BenchProgram::millisecondsSince(again));
        program.finish();
    }
    for (const Series* series : {&launch, &waited[0], &waited[1], &installed, &shown, &second, &total[0], &total[1]})
        series->print();
    BenchProgram::leaveFolder(folder);
    return 0;
}
