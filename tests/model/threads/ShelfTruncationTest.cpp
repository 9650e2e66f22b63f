#include "Games.h"

#include <cstdio>
#include <fstream>
#include <map>

using namespace GamesTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Truncation : public Games {};

} // namespace

// A kill can stop the file anywhere in the segment being written: at every
// such length the file opens (repaired when a segment is cut), the game
// resumes, and its table is the one of the last whole segment.
TEST_F(Truncation, EveryLengthOfTheLastSegmentsOpensRepairsAndResumes) {
    // Plain meshes: the many loads below are about the file.
    settings.set("lighting", "map");
    start();
    newGame();
    moveTo(1, 1500.0f, 0.0f);
    sync();
    // File length after each save -> the table it holds.
    std::map<std::size_t, Bytes> states;
    auto record = [&] {
        sync();
        states[fileBytes(savedGames()).size()] = bytesOf(table());
    };
    shelf().saveTable();
    record();
    // The last two segments: a tray move with a part move, then a part move.
    const std::size_t from = states.rbegin()->first;
    pan(3.0f, 4.0f);
    moveTo(3, 3500.0f, 0.0f);
    record();
    moveTo(4, 4500.0f, 0.0f);
    record();
    workspace.reset();
    const Bytes whole = fileBytes(savedGames());
    ASSERT_EQ(whole.size(), states.rbegin()->first);

    std::size_t repaired = 0;
    for (std::size_t length = from; length <= whole.size(); ++length) {
        {
            std::ofstream out(savedGames(), std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(whole.data()), std::streamsize(length));
        }
        std::remove((savedGames() + ".damaged").c_str());
        start();
        resume("0");
        ASSERT_EQ(events.take().back(), "loaded") << length;
        const auto state = std::prev(states.upper_bound(length));
        ASSERT_EQ(bytesOf(table()), state->second) << length;
        if (state->first != length && ++repaired % 8 == 1) {
            // Saving goes on in the repaired file.
            moveTo(5, 5500.0f, 0.0f);
            sync();
            ASSERT_EQ(shelf().savedThrough(), shelf().lastSave()) << length;
        }
    }
    EXPECT_EQ(repaired, whole.size() - from - 2);
    EXPECT_TRUE(log.has("Saved games were damaged"));
}
