#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/serialization/Serialization.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/WriteStream.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "model/PuzzleEventHandler.h"
#include "model/SavedGames.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "support/MemoryLog.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"

namespace GamesTest {

using LinesLog = KestruneTest::MemoryLog;

// Every notification of the table, the workspace and the shelf as a line.
class Events : public PuzzleEventHandler, public Shelf::EventHandler {
public:
    void puzzleLoaded(PartMeshSet&) override { add("loaded"); }
    void puzzleFailed() override { add("failed"); }
    void gameInserted(std::uint32_t i) override { add("gameInserted " + std::to_string(i)); }
    void gameMoved(std::uint32_t from, std::uint32_t to) override {
        add("gameMoved " + std::to_string(from) + " " + std::to_string(to));
    }
    void gameRemoved(std::uint32_t i) override { add("gameRemoved " + std::to_string(i)); }
    void gameChanged(std::uint32_t i) override { add("gameChanged " + std::to_string(i)); }
    void trashInserted(std::uint32_t i) override { add("trashInserted " + std::to_string(i)); }
    void trashRemoved(std::uint32_t i) override { add("trashRemoved " + std::to_string(i)); }
    void trashChanged(std::uint32_t i) override { add("trashChanged " + std::to_string(i)); }

    std::vector<std::string> take() {
        std::vector<std::string> taken;
        taken.swap(lines);
        return taken;
    }
    std::vector<std::string> lines;

private:
    void add(const std::string& line) { lines.push_back(line); }
};

inline TAVO::Parameters configuration() {
    TAVO::Parameters p;
    p.set("lighting", "attribute");
    p.set("tray_pattern", "cloth");
    p.set("tray_red", 0.75f);
    p.set("tray_green", 0.75f);
    p.set("tray_blue", 0.75f);
    p.set("tray_preview", "blank");
    return p;
}

inline Table::Pose pose(float x, float y, double angle = 0.0) {
    return Table::Pose(TAVO::Point<2, float>(x, y), TAVO::Angle(angle));
}

// A folder with pictures and a workspace over its saved-games file, made and
// remade as a run of the game would.
class Games : public ::testing::Test {
protected:
    void SetUp() override {
        picture = folder.file("picture.ppm");
        KestruneTest::PictureFiles::writeNetPBM(picture, 200, 150, 3,
                                                KestruneTest::PictureFiles::pattern(200, 150, 3));
        start();
    }
    void TearDown() override { workspace.reset(); }

    std::string savedGames() const { return folder.file("puzzles.dat"); }

    // A fresh run: the old workspace is shut down first.
    void start() {
        workspace.reset();
        workspace = std::make_unique<Workspace>(log, logger, settings);
        workspace->setEventHandler(&events);
        workspace->shelf().setEventHandler(&events);
        workspace->shelf().open(savedGames());
    }
    Shelf& shelf() { return workspace->shelf(); }
    Table& table() { return workspace->table(); }

    // Waits until every queued job has run and completed, the pictures the
    // loader makes for the shelf's jobs too.
    void sync() {
        for (int i = 0; i < 60000 && workspace->unfinishedJobs() > 0; ++i) {
            workspace->poll();
            if (workspace->unfinishedJobs() > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        workspace->poll();
        ASSERT_EQ(workspace->unfinishedJobs(), 0u);
    }

    void newGame(std::uint32_t pieces = 16, const std::string& path = "") {
        Picture loaded;
        ASSERT_TRUE(workspace->loader().loadPicture(path.empty() ? picture : path, loaded));
        workspace->menuSetup().setPicture(path.empty() ? picture : path, loaded);
        workspace->menuSetup().setRequestedPieceCount(pieces);
        workspace->newGame();
        sync();
    }
    void resume(const std::string& id) {
        shelf().setCurrentGame(id);
        shelf().loadGame();
        sync();
    }

    // An action made as the view makes it: applied, then saved.
    void save(Table::TypedAction& action) {
        action.action().apply(table());
        shelf().saveAction(action);
    }
    void moveTo(std::uint32_t part, float x, float y) {
        const double angle = table().tray(0).partPose(part).orientation().value();
        save(table().movePart(0, 0, part, pose(x, y, angle)));
    }
    void pan(float x, float y) {
        Table::TypedAction& action = table().moveTray(0, TrayPose(TAVO::Vector<2, float>(x, y), 0.5f));
        action.action().apply(table());
        shelf().setPendingAction(action);
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i) {
            table().update(0.02f);
            shelf().update(0.02f);
        }
    }

    // The entry as the file holds it now (read beside the running game).
    std::vector<std::uint8_t> entry(const std::string& name) {
        TAVO::ArchiveFile file(savedGames(), true, false);
        EXPECT_TRUE(file.hasArchive());
        std::vector<std::uint8_t> bytes;
        if (!file.hasArchive() || !file.archive()->exists(name))
            return bytes;
        TAVO::IncrementalBuffer buffer;
        SavedGames::readEntry(*file.archive(), name, 0xFFFFFFFFu, buffer);
        const TAVO::Buffer& constant = buffer;
        return std::vector<std::uint8_t>(constant.data(), constant.data() + buffer.size());
    }
    bool exists(const std::string& name) {
        TAVO::ArchiveFile file(savedGames(), true, false);
        return file.hasArchive() && file.archive()->exists(name);
    }

    // Reads into the set-up what a saved game's set-up entry holds: seed 0,
    // the picture's name, the count asked for, the size and the grid.
    static void readStoredSetup(::Setup& setup, const std::string& name, std::uint32_t requested, float width,
                                float height, std::uint32_t columns, std::uint32_t rows) {
        TAVO::IncrementalBuffer stored;
        {
            TAVO::BufferStream out(stored);
            TAVO::WriteStream& w = out;
            auto put = [&](const void* p, std::uint32_t n) { w.write(p, n); };
            const std::uint32_t seed = 0, length = std::uint32_t(name.size());
            put(&seed, 4), put(&length, 4), put(name.data(), length), put(&requested, 4);
            put(&width, 4), put(&height, 4), put(&columns, 4), put(&rows, 4);
        }
        TAVO::ConstBufferStream in(stored);
        TAVO::Serialization::deserialize(in, setup);
    }

    // The bytes a serialisable writes.
    static std::vector<std::uint8_t> bytesOf(const TAVO::Serializable& object) {
        TAVO::IncrementalBuffer buffer;
        TAVO::BufferStream stream(buffer);
        TAVO::Serialization::serialize(object, stream);
        const TAVO::Buffer& constant = buffer;
        return std::vector<std::uint8_t>(constant.data(), constant.data() + buffer.size());
    }
    // The table entry a snapshot of the current table makes.
    std::vector<std::uint8_t> snapshot() {
        std::vector<std::uint8_t> bytes{0, 0, 0, 0};
        const std::vector<std::uint8_t> table = bytesOf(this->table());
        bytes.insert(bytes.end(), table.begin(), table.end());
        return bytes;
    }

    KestruneTest::TempFolder folder;
    std::string picture;
    LinesLog log;
    TAVO::ExceptionLogger logger{log};
    TAVO::Parameters settings = configuration();
    Events events;
    std::unique_ptr<Workspace> workspace;
};

} // namespace GamesTest
