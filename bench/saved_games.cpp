// Times the saving of a game as it is played, in a folder on the disk to be
// measured (default: $TMPDIR or /var/tmp):
// - a drop: how long the main thread spends (apply and hand to the shelf), and
//   how long until the shelf knows it durably committed, median and worst over
//   1000 drops of a 1000-piece game (every 100th is a snapshot of the table);
// - drops while the worker is held up by a write that takes 200 ms (a slow
//   disk): the main thread's time must not grow;
// - resuming the 1000-piece game with a snapshot and 99 journal records;
// - generating and installing a new 1000-piece game.
//
//   bench_saved_games [FOLDER]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "foundation/streams/WriteStream.h"
#include "imaging/Picture.h"
#include "model/PuzzleEventHandler.h"
#include "model/Setup.h"
#include "model/Table.h"
#include "model/Workspace.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class QuietLog : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(); }

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void* source, std::uint64_t count) override {
            std::fwrite(source, 1, count, stderr);
        }
        ~Session() override { std::fputc('\n', stderr); }
    };
};

class Loaded : public PuzzleEventHandler {
public:
    void puzzleLoaded(PartMeshSet&) override { loaded = true; }
    void puzzleFailed() override { failed = true; }
    bool loaded = false;
    bool failed = false;
};

// Occupies the worker as a slow write would.
class SlowJob : public TAVO::Worker::Job {
public:
    void run() override { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }
    void done() override {}
    void failed() override {}
};

void waitUntil(Workspace& workspace, const std::function<bool()>& ready) {
    while (!ready()) {
        workspace.poll();
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %9.3f ms  worst %9.3f ms  (n = %zu)\n", what, times[times.size() / 2], times.back(),
                times.size());
}

TAVO::Parameters configuration() {
    TAVO::Parameters p;
    p.set("lighting", "attribute");
    p.set("tray_pattern", "cloth");
    p.set("tray_red", 0.75f);
    p.set("tray_green", 0.75f);
    p.set("tray_blue", 0.75f);
    p.set("tray_preview", "blank");
    return p;
}

} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = argc > 1 ? argv[1] : (tmp != nullptr && *tmp != 0 ? tmp : "/var/tmp");
    std::string pattern = base + "/kestrune-saves-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    const std::string picturePath = folder + "/picture.ppm";
    {
        std::ofstream out(picturePath, std::ios::binary);
        out << "P6\n1200 900\n255\n";
        std::vector<char> row(1200 * 3);
        for (int y = 0; y < 900; ++y) {
            for (int x = 0; x < 1200; ++x)
                row[std::size_t(x) * 3] = char(x ^ y), row[std::size_t(x) * 3 + 1] = char(x), row[std::size_t(x) * 3 + 2] = char(y);
            out.write(row.data(), std::streamsize(row.size()));
        }
    }
    QuietLog log;
    TAVO::ExceptionLogger logger(log);
    const TAVO::Parameters settings = configuration();
    Loaded events;
    std::printf("saved games in %s\n", folder.c_str());
    {
        Workspace workspace(log, logger, settings);
        workspace.setEventHandler(&events);
        Shelf& shelf = workspace.shelf();
        shelf.open(folder + "/puzzles.dat");
        Picture picture;
        if (!workspace.loader().loadPicture(picturePath, picture))
            return 1;
        workspace.menuSetup().setPicture(picturePath, picture);
        workspace.menuSetup().setRequestedPieceCount(1000);

        std::vector<double> made;
        for (int i = 0; i < 5; ++i) {
            events.loaded = false;
            const auto start = Clock::now();
            workspace.newGame();
            waitUntil(workspace, [&] { return events.loaded; });
            made.push_back(since(start));
        }
        waitUntil(workspace, [&] { return workspace.worker().unfinished() == 0; });
        std::printf("%u pieces\n", workspace.currentSetup().pieceCount());
        report("new game: generated and installed", made);

        Table& table = workspace.table();
        std::vector<std::uint32_t> parts;
        for (const auto& entry : table.parts())
            parts.push_back(entry.first);
        std::vector<double> drop, durable;
        for (int i = 0; i < 1000; ++i) {
            const auto start = Clock::now();
            const std::uint32_t part = parts[std::size_t(i) % parts.size()];
            const Table::Pose pose(TAVO::Point<2, float>(5000.0f + 300.0f * float(i), 0.0f), TAVO::Angle(0.0));
            Table::TypedAction& action = table.movePart(0, 0, part, pose);
            action.action().apply(table);
            shelf.saveAction(action);
            drop.push_back(since(start));
            const std::uint64_t save = shelf.lastSave();
            waitUntil(workspace, [&] { return shelf.savedThrough() >= save; });
            durable.push_back(since(start));
        }
        report("drop: main thread", drop);
        report("drop: until durably committed", durable);

        std::vector<double> slow;
        workspace.worker().add(std::make_unique<SlowJob>());
        for (int i = 0; i < 100; ++i) {
            const auto start = Clock::now();
            const std::uint32_t part = parts[std::size_t(i) % parts.size()];
            const Table::Pose pose(TAVO::Point<2, float>(-5000.0f - 300.0f * float(i), 0.0f), TAVO::Angle(0.0));
            Table::TypedAction& action = table.movePart(0, 0, part, pose);
            action.action().apply(table);
            shelf.saveAction(action);
            slow.push_back(since(start));
            workspace.poll();
        }
        report("drop: main thread, worker held 200 ms", slow);

        // A snapshot, then 99 records.
        shelf.saveTable();
        for (int i = 0; i < 99; ++i) {
            const std::uint32_t part = parts[std::size_t(i) % parts.size()];
            const Table::Pose pose(TAVO::Point<2, float>(9000.0f + 300.0f * float(i), 0.0f), TAVO::Angle(0.0));
            Table::TypedAction& action = table.movePart(0, 0, part, pose);
            action.action().apply(table);
            shelf.saveAction(action);
        }
        waitUntil(workspace, [&] { return workspace.worker().unfinished() == 0; });
        const std::string game = shelf.currentGame();
        std::vector<double> resumed;
        for (int i = 0; i < 10; ++i) {
            events.loaded = false;
            const auto start = Clock::now();
            shelf.setCurrentGame(game);
            shelf.loadGame();
            waitUntil(workspace, [&] { return events.loaded || events.failed; });
            resumed.push_back(since(start));
        }
        report("resume: 99 records over the snapshot", resumed);
        workspace.stop();
    }
    std::filesystem::remove_all(folder);
    return 0;
}
