// The game program run in this process, with a player acting between the
// passes of its main loop: every way out of the loop writes the held-back
// tray move, lets the queued saves finish and stops the workers before
// anything is released.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "foundation/exceptions/WhatException.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "game/GameProgram.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/TrayPose.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"
#include "support/TempFolder.h"
#include "support/gl/GLTest.h"

using KestruneTest::TempFolder;

namespace {

// Runs in a fresh working folder and goes back after.
class WorkingFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(folder_.path()); }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    TempFolder folder_;
    std::filesystem::path previous_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Picture gradient(std::uint32_t width, std::uint32_t height) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    picture.buffer().setSize(width * height * 3);
    std::uint8_t* p = picture.buffer().data();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3)
            p[0] = std::uint8_t(x * 255 / width), p[1] = std::uint8_t(y * 255 / height), p[2] = 40;
    return picture;
}

// The game, driven between the passes of its loop: a new 12-piece game, then
// a tray view move that the shelf holds back, then the way out under test.
class PlayedProgram : public GameProgram {
public:
    enum class Ending { exception, standardException, signal };

    explicit PlayedProgram(Ending ending)
        : GameProgram(BuiltInResources::data(), BuiltInResources::size()), ending_(ending) {}

    void pass() override {
        GameProgram::pass();
        if (++passes_ > 5000)
            throw std::runtime_error("the game did not start in time");
        if (!started_) {
            workspace().menuSetup().setPicture("gradient.png", gradient(240, 180));
            workspace().menuSetup().setRequestedPieceCount(12);
            workspace().newGame();
            started_ = true;
            return;
        }
        Shelf& shelf = workspace().shelf();
        // Until the game is installed and its first saves are in the file.
        if (shelf.currentGame().empty() || workspace().puzzle() == nullptr || shelf.savedThrough() == 0)
            return;
        game_ = shelf.currentGame();
        Table& table = workspace().table();
        Table::TypedAction& action = table.moveTray(0, heldBack);
        action.action().apply(table);
        shelf.setPendingAction(action);
        switch (ending_) {
        case Ending::exception:
            throw TAVO::WhatException(TAVO::SourceLocation(), "Played into a wall. ");
        case Ending::standardException:
            throw std::runtime_error("played into a wall");
        case Ending::signal:
            std::raise(SIGTERM);
            break;
        }
    }

    const std::string& game() const { return game_; }

    static inline const TrayPose heldBack{TAVO::Vector<2, float>(-12.5f, 7.25f), 0.75f};

private:
    Ending ending_;
    bool started_ = false;
    std::uint32_t passes_ = 0;
    std::string game_;
};

int runGame(PlayedProgram& program) {
    std::ofstream("configuration.txt") << "maximized=false\nantialiasing=false\n";
    const char* argv[] = {"kestrune", "--configuration", "configuration.txt"};
    std::ostringstream out, err;
    return program.run(3, argv, out, err);
}

// The last record of the game's table entry, as a tray move: tag, tray and pose.
struct TrayMoveRecord {
    std::uint32_t tag = 99, tray = 99;
    float x = 0, y = 0, level = 0;
};

TrayMoveRecord lastTrayMove(const std::string& game) {
    TAVO::ArchiveFile file("puzzles.dat", true, false);
    EXPECT_TRUE(file.hasArchive()) << file.error();
    TrayMoveRecord record;
    if (!file.hasArchive())
        return record;
    auto reader = file.archive()->openReader("puzzle/" + game + "/table");
    EXPECT_TRUE(reader);
    if (!reader)
        return record;
    TAVO::IncrementalBuffer bytes;
    TAVO::ReadStream::readToEnd(reader->stream(), bytes);
    EXPECT_GE(bytes.size(), 20u);
    if (bytes.size() < 20)
        return record;
    const std::uint8_t* tail = bytes.data() + bytes.size() - 20;
    std::memcpy(&record.tag, tail, 4);
    std::memcpy(&record.tray, tail + 4, 4);
    std::memcpy(&record.x, tail + 8, 4);
    std::memcpy(&record.y, tail + 12, 4);
    std::memcpy(&record.level, tail + 16, 4);
    return record;
}

void expectHeldBackMoveSaved(const std::string& game) {
    ASSERT_FALSE(game.empty());
    const TrayMoveRecord record = lastTrayMove(game);
    EXPECT_EQ(record.tag, 2u);
    EXPECT_EQ(record.tray, 0u);
    EXPECT_EQ(record.x, PlayedProgram::heldBack.position()[0]);
    EXPECT_EQ(record.y, PlayedProgram::heldBack.position()[1]);
    EXPECT_EQ(record.level, PlayedProgram::heldBack.level());
}

std::vector<std::string> logEntries() {
    std::vector<std::string> entries;
    std::istringstream in(readFile("jigsaw_log.txt"));
    std::string line;
    while (std::getline(in, line))
        if (line.size() > 26)
            entries.push_back(line.substr(26));
    return entries;
}

} // namespace

TEST(GameProgram, AnExceptionInTheLoopSavesTheHeldBackMoveAndEndsWithOne) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        return;
    for (PlayedProgram::Ending ending : {PlayedProgram::Ending::exception, PlayedProgram::Ending::standardException}) {
        WorkingFolder folder;
        std::string game;
        {
            PlayedProgram program(ending);
            EXPECT_EQ(runGame(program), 1) << readFile("jigsaw_log.txt");
            game = program.game();
        }
        expectHeldBackMoveSaved(game);
        const std::vector<std::string> entries = logEntries();
        ASSERT_GE(entries.size(), 3u);
        EXPECT_EQ(entries.front(), "Kestrune 20250120 started.");
        EXPECT_EQ(entries.back(), "Shutdown.");
        const std::string all = readFile("jigsaw_log.txt");
        EXPECT_NE(all.find(ending == PlayedProgram::Ending::exception ? "Played into a wall." : "played into a wall"),
                  std::string::npos)
            << all;
        // The exception comes before the shut-down, and nothing failed on the way.
        EXPECT_LT(all.find("into a wall"), all.find("Shutdown."));
        EXPECT_EQ(all.find("Unable to write"), std::string::npos) << all;
        EXPECT_EQ(all.find("Failed to save"), std::string::npos) << all;
    }
}

TEST(GameProgram, ATerminationRequestSavesTheHeldBackMoveAndEndsWithZero) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        return;
    WorkingFolder folder;
    std::string game;
    {
        PlayedProgram program(PlayedProgram::Ending::signal);
        EXPECT_EQ(runGame(program), 0) << readFile("jigsaw_log.txt");
        game = program.game();
    }
    expectHeldBackMoveSaved(game);
    const std::vector<std::string> entries = logEntries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.front(), "Kestrune 20250120 started.");
    EXPECT_EQ(entries.back(), "Shutdown.");
}
