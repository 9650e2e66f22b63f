// Times the gallery's preview asked for at start, as the game asks for it
// while the saved games' thumbnails are still being made: N saved games
// (N = 0, 8, 32) of a 3000 x 2000 PNG, each with a few moves, in a folder's
// puzzles.dat; a fresh workspace opens the shelf and asks for the thumbnails
// as the game's start does, then, as soon as they are all on their way to
// the picture loader, for the preview of another 3000 x 2000 PNG, and polls
// every millisecond as the main loop does while jobs run. Per N, medians
// over ROUNDS rounds (default 7): the time from the ask to the preview heard
// and its ratio to N = 0, and the time from the shelf's opening until the
// saved-games list is complete (every thumbnail arrived).
//
// Then the memory, one round a process (this program run again as
// "bench_preview memory FOLDER PREVIEW"), median of three: the peak
// resident memory (VmHWM) once the preview and the thumbnails are heard,
// and, from what that start left resident, the peak of a new 999-piece game
// of the preview made by the model.
//
//   bench_preview [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchProgram.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/LogFile.h"
#include "game/GameConfiguration.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "model/PuzzleEventHandler.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Workspace.h"

namespace {

using Clock = BenchProgram::Clock;

constexpr std::uint32_t pictureWidth = 3000, pictureHeight = 2000;
const std::vector<std::uint32_t> savedGameCounts = {0, 8, 32};

class Loaded : public PuzzleEventHandler {
public:
    void puzzleLoaded(PartMeshSet&) override { loaded = true; }
    void puzzleFailed() override { failed = true; }
    bool loaded = false;
    bool failed = false;
};

class PreviewHeard : public PictureLoader::Notifier {
public:
    PreviewHeard(bool& heard, Picture& picture) : heard_(heard), picture_(picture) {}
    void loaded(const std::string&, const Picture& picture) override {
        picture_ = picture;
        heard_ = true;
    }
    void failed() override { heard_ = true; }

private:
    bool& heard_;
    Picture& picture_;
};

// What the main loop does while jobs run: poll, then rest a millisecond.
template <class Ready>
void pollUntil(Workspace& workspace, Ready ready) {
    while (!ready()) {
        workspace.poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool listComplete(const Shelf& shelf) {
    for (const std::string& id : shelf.games())
        if (!shelf.description(id).thumbnailReady && !shelf.description(id).broken)
            return false;
    return true;
}

struct Round {
    double preview = 0.0;
    double list = 0.0;
    long peak = 0;
    long gamePeak = 0;
};

// One start as the game makes it: the shelf opened, its thumbnails asked
// for, then the preview; until all are heard. With pieces, a new game of the
// preview is made after.
Round start(TAVO::Log& log, const std::string& saves, const std::string& preview, std::uint32_t pieces) {
    TAVO::ExceptionLogger logger(log);
    TAVO::Parameters configuration;
    GameConfiguration::setDefaults(configuration);
    Loaded events;
    Workspace workspace(log, logger, configuration);
    workspace.setEventHandler(&events);
    Shelf& shelf = workspace.shelf();
    Round round;
    bool heard = false;
    Picture picture;
    const auto begin = Clock::now();
    shelf.open(saves);
    shelf.loadThumbnails();
    // The player's first click comes once the window is up, by when the
    // shelf's jobs have handed every thumbnail to the loader.
    pollUntil(workspace, [&] { return workspace.worker().unfinished() == 0; });
    const auto asked = Clock::now();
    workspace.loader().loadAsync(preview, std::make_unique<PreviewHeard>(heard, picture));
    bool complete = false;
    pollUntil(workspace, [&] {
        if (heard && round.preview == 0.0)
            round.preview = BenchProgram::millisecondsSince(asked);
        if (!complete && listComplete(shelf)) {
            complete = true;
            round.list = BenchProgram::millisecondsSince(begin);
        }
        return heard && complete;
    });
    round.peak = BenchProgram::peakResidentKilobytes();
    if (pieces > 0 && picture.hasPixels()) {
        // The game's own peak, from what the start left resident.
        std::ofstream("/proc/self/clear_refs") << "5";
        workspace.menuSetup().setPicture(preview, picture);
        workspace.menuSetup().setRequestedPieceCount(pieces);
        workspace.newGame();
        pollUntil(workspace, [&] { return events.loaded || events.failed; });
        round.gamePeak = BenchProgram::peakResidentKilobytes();
    }
    workspace.stop();
    return round;
}

// count saved games of the picture, each moved a few times, in the file.
void makeSavedGames(TAVO::Log& log, const std::string& saves, const std::string& picturePath,
                    std::uint32_t count) {
    TAVO::ExceptionLogger logger(log);
    TAVO::Parameters configuration;
    GameConfiguration::setDefaults(configuration);
    Loaded events;
    Workspace workspace(log, logger, configuration);
    workspace.setEventHandler(&events);
    Shelf& shelf = workspace.shelf();
    shelf.open(saves);
    Picture picture;
    if (count > 0 && !workspace.loader().loadPicture(picturePath, picture))
        throw std::runtime_error(picturePath + " cannot be read");
    workspace.menuSetup().setPicture(picturePath, picture);
    workspace.menuSetup().setRequestedPieceCount(100);
    for (std::uint32_t game = 0; game < count; ++game) {
        events.loaded = false;
        workspace.newGame();
        pollUntil(workspace, [&] { return events.loaded || events.failed; });
        Table& table = workspace.table();
        std::uint32_t moved = 0;
        for (const auto& entry : table.parts()) {
            if (moved == 5)
                break;
            const Table::Pose pose(TAVO::Point<2, float>(4000.0f + 300.0f * float(moved++), 0.0f), TAVO::Angle(0.0));
            Table::TypedAction& action = table.movePart(0, 0, entry.first, pose);
            action.action().apply(table);
            shelf.saveAction(action);
        }
        const std::uint64_t save = shelf.lastSave();
        pollUntil(workspace, [&] { return shelf.savedThrough() >= save; });
    }
    workspace.stop();
}

// The memory of one start in a fresh process, on a copy of the folder's
// saved games (the new game is saved into it).
int measureMemory(TAVO::Log& log, const std::filesystem::path& folder, const std::string& preview) {
    const std::filesystem::path saves = folder / "puzzles.dat", copy = folder / "memory.dat";
    std::filesystem::remove(copy);
    if (std::filesystem::exists(saves))
        std::filesystem::copy_file(saves, copy);
    const Round round = start(log, copy.string(), preview, 999);
    std::filesystem::remove(copy);
    std::printf("%ld %ld\n", round.peak, round.gamePeak);
    return round.peak > 0 && round.gamePeak > 0 ? 0 : 1;
}

// Runs this program's memory mode and reads its two peaks.
bool memoryOf(const std::filesystem::path& folder, const std::string& preview, long& peak, long& gamePeak) {
    const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() + " memory '" +
                                folder.string() + "' '" + preview + "'";
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr)
        return false;
    const bool read = std::fscanf(child, "%ld %ld", &peak, &gamePeak) == 2;
    return pclose(child) == 0 && read;
}

double mebibytes(long kilobytes) { return double(kilobytes) / 1024.0; }

} // namespace

int main(int argc, char** argv) {
    TAVO::LogFile log;
    log.open(std::cerr);
    if (argc == 4 && std::string(argv[1]) == "memory")
        return measureMemory(log, argv[2], argv[3]);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    const std::filesystem::path folder = BenchProgram::enterFolder("kestrune-bench-preview");
    const std::string games = (folder / "games.png").string(), preview = (folder / "preview.png").string();
    BenchProgram::writeRingsPicture(games, pictureWidth, pictureHeight, false);
    BenchProgram::writeRingsPicture(preview, pictureWidth, pictureHeight, true);
    std::vector<std::filesystem::path> folders;
    for (const std::uint32_t count : savedGameCounts) {
        folders.push_back(folder / ("games-" + std::to_string(count)));
        std::filesystem::create_directories(folders.back());
        makeSavedGames(log, (folders.back() / "puzzles.dat").string(), games, count);
    }

    std::vector<std::vector<double>> previews(savedGameCounts.size()), lists(savedGameCounts.size());
    for (int r = 0; r < rounds; ++r)
        for (std::size_t i = 0; i < savedGameCounts.size(); ++i) {
            const Round round = start(log, (folders[i] / "puzzles.dat").string(), preview, 0);
            previews[i].push_back(round.preview);
            lists[i].push_back(round.list);
        }
    std::printf("preview of a %u x %u PNG asked at start, medians of %d rounds\n", pictureWidth, pictureHeight,
                rounds);
    const double alone = BenchProgram::median(previews[0]);
    for (std::size_t i = 0; i < savedGameCounts.size(); ++i) {
        const double heard = BenchProgram::median(previews[i]);
        std::printf("%2u saved games: preview heard %8.1f ms (x%.2f of none), list complete %8.1f ms\n",
                    savedGameCounts[i], heard, heard / alone, BenchProgram::median(lists[i]));
    }

    std::printf("peak resident memory, one start a process, medians of 3\n");
    for (std::size_t i = 0; i < savedGameCounts.size(); ++i) {
        std::vector<double> peaks, gamePeaks;
        for (int r = 0; r < 3; ++r) {
            long peak = 0, gamePeak = 0;
            if (!memoryOf(folders[i], preview, peak, gamePeak)) {
                std::fprintf(stderr, "the memory of a start could not be measured\n");
                return 1;
            }
            peaks.push_back(mebibytes(peak));
            gamePeaks.push_back(mebibytes(gamePeak));
        }
        std::printf("%2u saved games: preview and thumbnails %7.1f MiB, a new 999-piece game after them %7.1f MiB\n",
                    savedGameCounts[i], BenchProgram::median(peaks), BenchProgram::median(gamePeaks));
    }
    BenchProgram::leaveFolder(folder);
    return 0;
}
