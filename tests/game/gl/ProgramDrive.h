#pragma once

// The game program as its tests run it: in a fresh working folder, with a
// configuration of its own, a new game started between the passes of its
// loop, and what it left behind read back: the last tray move of a saved
// game's table and the entries of its log.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/packages/ArchiveFile.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "game/GameProgram.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "model/Setup.h"
#include "model/Shelf.h"
#include "model/TrayPose.h"
#include "model/Workspace.h"
#include "support/TempFolder.h"

namespace ProgramTest {

// Runs in a fresh working folder and goes back after.
class WorkingFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(folder_.path()); }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    KestruneTest::TempFolder folder_;
    std::filesystem::path previous_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline Picture gradient(std::uint32_t width, std::uint32_t height) {
    Picture picture;
    picture.metadata() = TAVO::Migration::ImageMetadata(width, height, 3, 24);
    picture.buffer().setSize(width * height * 3);
    std::uint8_t* p = picture.buffer().data();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x, p += 3)
            p[0] = std::uint8_t(x * 255 / width), p[1] = std::uint8_t(y * 255 / height), p[2] = 40;
    return picture;
}

// Starts a new 12-piece game of a gradient picture.
inline void startNewGame(Workspace& workspace) {
    workspace.menuSetup().setPicture("gradient.png", gradient(240, 180));
    workspace.menuSetup().setRequestedPieceCount(12);
    workspace.newGame();
}

// Runs the program in the working folder, windowed and without antialiasing,
// its standard error going to err.
inline int runProgram(GameProgram& program, std::ostream& err) {
    std::ofstream("configuration.txt") << "maximized=false\nantialiasing=false\n";
    const char* argv[] = {"kestrune", "--configuration", "configuration.txt"};
    std::ostringstream out;
    return program.run(3, argv, out, err);
}

inline int runProgram(GameProgram& program) {
    std::ostringstream err;
    return runProgram(program, err);
}

// Drives a new 12-piece game from the passes of the loop: asked for at the
// first; true once it is installed and its first saves are in the file.
inline bool newGameSaved(GameProgram& program, bool& started, std::uint32_t& passes) {
    if (++passes > 5000)
        throw std::runtime_error("the game did not start in time");
    if (!started) {
        startNewGame(program.workspace());
        started = true;
        return false;
    }
    const Shelf& shelf = program.workspace().shelf();
    return !shelf.currentGame().empty() && program.workspace().puzzle() != nullptr && shelf.savedThrough() != 0;
}

// The first tray's pose of the move the tests make and look for in the file.
inline const TrayPose heldBack{TAVO::Vector<2, float>(-12.5f, 7.25f), 0.75f};

// The last record of the game's table entry, as a tray move: tag, tray and pose.
struct TrayMoveRecord {
    std::uint32_t tag = 99, tray = 99;
    float x = 0, y = 0, level = 0;
};

inline TrayMoveRecord lastTrayMove(const std::string& game) {
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

inline void expectHeldBackMoveSaved(const std::string& game) {
    ASSERT_FALSE(game.empty());
    const TrayMoveRecord record = lastTrayMove(game);
    EXPECT_EQ(record.tag, 2u);
    EXPECT_EQ(record.tray, 0u);
    EXPECT_EQ(record.x, heldBack.position()[0]);
    EXPECT_EQ(record.y, heldBack.position()[1]);
    EXPECT_EQ(record.level, heldBack.level());
}

// The log's entries without their time stamps.
inline std::vector<std::string> logEntries() {
    std::vector<std::string> entries;
    std::istringstream in(readFile("jigsaw_log.txt"));
    std::string line;
    while (std::getline(in, line))
        if (line.size() > 26)
            entries.push_back(line.substr(26));
    return entries;
}

} // namespace ProgramTest
