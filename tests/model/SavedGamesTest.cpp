#include <gtest/gtest.h>

#include "Tables.h"
#include "foundation/streams/StreamException.h"
#include "foundation/threads/Log.h"
#include "model/SavedGames.h"
#include "model/TableException.h"
#include "support/MemoryLog.h"

using namespace ModelTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Counts its entries; the text goes nowhere.
class CountingLog : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override {
        ++entries;
        return std::make_shared<Session>();
    }
    int entries = 0;

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void*, std::uint64_t) override {}
    };
};

void put(Bytes& out, const void* value, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(value);
    out.insert(out.end(), p, p + size);
}
void u32(Bytes& out, std::uint32_t v) { put(out, &v, 4); }
void f32(Bytes& out, float v) { put(out, &v, 4); }

Bytes written(const TAVO::Serializable& object) {
    TAVO::IncrementalBuffer buffer;
    SavedGames::write(object, buffer);
    return vectorOf(buffer);
}

} // namespace

TEST(SavedGameIds, NewIdsSkipThoseInUseAndNeverComeBack) {
    std::uint32_t counter = 0;
    EXPECT_EQ(SavedGames::newId(counter, {}, {}), "0");
    EXPECT_EQ(SavedGames::newId(counter, {"0"}, {}), "1");
    counter = 3;
    EXPECT_EQ(SavedGames::newId(counter, {"4", "1"}, {"3"}), "5");
    EXPECT_EQ(counter, 6u);
}

TEST(SavedGameIds, CompactionKnowsTheGameOfAnEntryByItsWholeName) {
    EXPECT_EQ(SavedGames::gameOf(SavedGames::tableEntry("17")), "17");
    EXPECT_EQ(SavedGames::gameOf(SavedGames::setupEntry("a/b")), "a/b");
    for (const char* other : {"puzzle//table", "index", "puzzle/7/setups", "puzzles/7/setup", "puzzle/7"})
        EXPECT_EQ(SavedGames::gameOf(other), "") << other;
}

TEST(SavedGameLayout, AOnePieceGameSnapshotIsLaidOutFieldByField) {
    Game game(3, 1, 1);
    const Tray& tray = game.table.tray(0);
    const Pose place = tray.partPose(0);
    Bytes expected;
    u32(expected, 0);                                   // version
    u32(expected, 1), u32(expected, 0);                 // tray order [0]
    u32(expected, 1), u32(expected, 0);                 // tray keys [0]
    f32(expected, tray.pose().position()[0]), f32(expected, tray.pose().position()[1]);
    f32(expected, tray.pose().level());
    u32(expected, 1), u32(expected, 0);                 // entry keys [0]
    f32(expected, place.position()[0]), f32(expected, place.position()[1]);
    const double angle = place.orientation().value();
    put(expected, &angle, 8);
    u32(expected, 1), u32(expected, 0);                 // part order [0]
    u32(expected, 1);                                   // next part id
    u32(expected, 1), u32(expected, 0);                 // part keys [0]
    u32(expected, 1), u32(expected, 0);                 // part 0: piece 0
    u32(expected, 0), f32(expected, 0.0f), f32(expected, 0.0f), f32(expected, 0.0f), u32(expected, 0);
    EXPECT_EQ(written(game.table), expected);
}

TEST(SavedGameLayout, TheIndexReadsBackAndRefusesWhatCannotBeAList) {
    SavedGames::Index index;
    index.idCounter = 9;
    index.games = {"8", "3"};
    index.trash = {"5"};
    const Bytes bytes = written(index);
    CountingLog log;
    SavedGames::Index read;
    read.read(bufferOf(bytes), log);
    EXPECT_EQ(read.idCounter, 9u);
    EXPECT_EQ(read.games, index.games);
    EXPECT_EQ(read.trash, index.trash);
    EXPECT_EQ(log.entries, 0);
    // Every cut of it fails cleanly.
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_THROW(read.read(bufferOf(Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n))), log),
                     TAVO::StreamException)
            << n;
    // Counts beyond the bytes, or beyond the list limit, are refused before anything is made.
    Bytes huge;
    u32(huge, 0), u32(huge, 0), u32(huge, 0xFFFFFFFFu);
    EXPECT_THROW(read.read(bufferOf(huge), log), TAVO::StreamException);
    Bytes many;
    u32(many, 0), u32(many, 0), u32(many, SavedGames::maximumListedGames + 1);
    many.resize(many.size() + 4 * (SavedGames::maximumListedGames + 1), 0);
    EXPECT_THROW(read.read(bufferOf(many), log), TAVO::StreamException);
    // A newer version is logged and read on.
    Bytes newer = bytes;
    newer[0] = 1;
    read.read(bufferOf(newer), log);
    EXPECT_EQ(log.entries, 1);
    EXPECT_EQ(read.games, index.games);
}

TEST(SavedGameLayout, AJournalReplaysOverItsSnapshotAndIsBounded) {
    Game game(5, 3, 2);
    CountingLog log;
    Bytes entry = written(game.table);
    // Moves part 0 to a new tray and back: the emptied tray is gone after the record.
    Table::TypedAction out, back;
    out.set(Table::MoveAction(0, 0, 1, pose(1.0f, 2.0f)));
    back.set(Table::MoveAction(0, 1, 0, pose(3.0f, 4.0f)));
    for (const Table::TypedAction* action : {&out, &back}) {
        const Bytes record = vectorOf(bytesOf(*action));
        entry.insert(entry.end(), record.begin(), record.end());
    }
    Table table;
    EXPECT_EQ(SavedGames::readTable(bufferOf(entry), *game.puzzle, table, log), 2u);
    EXPECT_EQ(table.trayOrder(), std::vector<unsigned int>{0});
    EXPECT_EQ(table.tray(0).partPose(0).position()[0], 3.0f);
    // A journal far longer than any the game writes is damage.
    Bytes endless = written(game.table);
    Table::TypedAction pan;
    pan.set(Table::MoveTrayAction(0, TrayPose()));
    const Bytes panRecord = vectorOf(bytesOf(pan));
    for (std::uint32_t i = 0; i <= SavedGames::maximumJournalRecords; ++i)
        endless.insert(endless.end(), panRecord.begin(), panRecord.end());
    Table third;
    EXPECT_THROW(SavedGames::readTable(bufferOf(endless), *game.puzzle, third, log), TableException);
}

TEST(SavedGameLayout, AViewMoveOfATrayAlreadyGoneIsPassedOverWithOneLogLine) {
    Game game(5, 3, 2);
    Bytes entry = written(game.table);
    // As earlier runs wrote it: part 0 goes to a new tray and back, a view
    // move of the emptied tray held back in that pass lands after, then a
    // view move of tray 0 and a move.
    Table::TypedAction out, back, gonePan, pan, move;
    out.set(Table::MoveAction(0, 0, 1, pose(1.0f, 2.0f)));
    back.set(Table::MoveAction(0, 1, 0, pose(3.0f, 4.0f)));
    gonePan.set(Table::MoveTrayAction(1, TrayPose(TAVO::Vector<2, float>(10.0f, 20.0f), 0.5f)));
    pan.set(Table::MoveTrayAction(0, TrayPose(TAVO::Vector<2, float>(-7.0f, 8.0f), 1.5f)));
    move.set(Table::MoveAction(1, 0, 0, pose(5.0f, 6.0f)));
    for (const Table::TypedAction* action : {&out, &back, &gonePan, &pan, &move}) {
        const Bytes record = vectorOf(bytesOf(*action));
        entry.insert(entry.end(), record.begin(), record.end());
    }
    KestruneTest::MemoryLog log;
    Table table;
    EXPECT_EQ(SavedGames::readTable(bufferOf(entry), *game.puzzle, table, log, "7"), 5u);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"Skipped record 3 of game 7, a view move of tray 1, which no longer exists."});
    // The table the other records make.
    for (const Table::TypedAction* action : {&out, &back, &pan, &move}) {
        action->action().apply(game.table);
        game.table.removeEmptyTrays();
    }
    EXPECT_EQ(vectorOf(bytesOf(table)), vectorOf(bytesOf(game.table)));
    EXPECT_EQ(table.tray(0).pose().level(), 1.5f);
    // A view move of a tray that is there is still checked.
    Bytes bad = entry;
    Table::TypedAction notFinite;
    notFinite.set(Table::MoveTrayAction(0, TrayPose(TAVO::Vector<2, float>(INFINITY, 0.0f), 0.0f)));
    const Bytes record = vectorOf(bytesOf(notFinite));
    bad.insert(bad.end(), record.begin(), record.end());
    Table third;
    EXPECT_THROW(SavedGames::readTable(bufferOf(bad), *game.puzzle, third, log), TableException);
}
