#include "Games.h"

#include <csignal>
#include <sys/resource.h>

#include "foundation/streams/ConstBufferStream.h"

using namespace GamesTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(const std::string& s) { return le32(std::uint32_t(s.size())) + Bytes(s.begin(), s.end()); }

// A move record: tag 0, part, from, to, x, y (float) and the angle (double).
constexpr std::size_t moveRecord = 4 + 12 + 8 + 8;

class Journal : public Games {};

} // namespace

TEST_F(Journal, TheFirstGameWritesItsIndexAndSetupAsLaidOut) {
    const std::string square = folder.file("square.ppm");
    KestruneTest::PictureFiles::writeNetPBM(square, 1000, 1000, 3, std::vector<std::uint8_t>(3000000, 90));
    newGame(16, square);
    // Registered before the view hears of it.
    EXPECT_EQ(events.take(), (std::vector<std::string>{"gameInserted 0", "loaded"}));
    EXPECT_EQ(entry("index"), le32(0) + le32(1) + le32(1) + text("0") + le32(0));
    // 4 x 4 pieces on a 315 x 315 puzzle (0x439D8000).
    const Bytes side{0x00, 0x80, 0x9D, 0x43};
    EXPECT_EQ(entry("puzzle/0/setup"), le32(0) + le32(0) + text(square) + le32(16) + side + side + le32(4) + le32(4));
    EXPECT_EQ(entry("puzzle/0/table"), snapshot());
    newGame(4, square);
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(entry("index"), le32(0) + le32(2) + le32(2) + text("1") + text("0") + le32(0));
}

TEST_F(Journal, AHundredAppendsThenASnapshotAlsoAfterALoad) {
    newGame();
    for (int i = 0; i < 37; ++i)
        moveTo(std::uint32_t(i % 15), 1000.0f + float(i), 50.0f);
    sync();
    // A new run goes on counting from the 37 records it replays.
    start();
    resume("0");
    const Bytes before = entry("puzzle/0/table");
    EXPECT_EQ(before.size(), snapshot().size() + 37 * moveRecord);
    for (int i = 0; i < 63; ++i)
        moveTo(3, 2000.0f + float(i), 50.0f);
    sync();
    Bytes journal = entry("puzzle/0/table");
    ASSERT_EQ(journal.size(), snapshot().size() + 100 * moveRecord);
    EXPECT_EQ(Bytes(journal.end() - moveRecord, journal.end()), bytesOf(table().lastAction()));
    // The 101st action writes a snapshot instead.
    moveTo(4, 3000.0f, 50.0f);
    sync();
    const Bytes fresh = snapshot();
    EXPECT_EQ(entry("puzzle/0/table"), fresh);
    moveTo(4, 3001.0f, 50.0f);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), fresh + bytesOf(table().lastAction()));
}

TEST_F(Journal, AHeldBackTrayMoveIsWrittenOnThe251stStepOrBeforeTheNextAction) {
    newGame();
    const Bytes start = entry("puzzle/0/table");
    pan(10.0f, 20.0f);
    pan(30.0f, 40.0f);
    const Bytes later = bytesOf(table().lastAction());
    steps(250);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), start);
    steps(1);
    sync();
    // Only the later pan, alone.
    EXPECT_EQ(entry("puzzle/0/table"), start + later);
    pan(50.0f, 60.0f);
    const Bytes held = bytesOf(table().lastAction());
    moveTo(2, 500.0f, 500.0f);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), start + later + held + bytesOf(table().lastAction()));
    steps(300);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), start + later + held + bytesOf(table().lastAction()));
}

TEST_F(Journal, AHeldBackTrayMoveGoesToTheGameItWasMadeIn) {
    newGame();
    pan(10.0f, 20.0f);
    const Bytes held = bytesOf(table().lastAction());
    const Bytes first = entry("puzzle/0/table");
    // A new game: the move goes to game 0, not into the new game.
    newGame();
    EXPECT_EQ(entry("puzzle/0/table"), first + held);
    EXPECT_EQ(entry("puzzle/1/table"), snapshot());
    // A switch of game while a move is held: it stays with game 1.
    pan(70.0f, 80.0f);
    const Bytes second = bytesOf(table().lastAction());
    const Bytes one = entry("puzzle/1/table");
    resume("0");
    steps(300);
    sync();
    EXPECT_EQ(entry("puzzle/1/table"), one + second);
    EXPECT_EQ(entry("puzzle/0/table"), first + held);
    // Both still load.
    resume("1");
    EXPECT_EQ(events.take().back(), "loaded");
    EXPECT_EQ(table().tray(0).pose().position()[0], 70.0f);
}

TEST_F(Journal, WhatTheViewDoesOnHearingOfANewGameIsSavedIntoThatGame) {
    class Reacting : public Events {
    public:
        explicit Reacting(Workspace*& workspace) : workspace_(workspace) {}
        void puzzleLoaded(PartMeshSet&) override {
            Table& table = workspace_->table();
            Table::TypedAction& action =
                table.changeBackground(Tray::Background(2, TAVO::Color(0.1f, 0.2f, 0.3f), 3));
            action.action().apply(table);
            workspace_->shelf().saveAction(action);
        }

    private:
        Workspace*& workspace_;
    };
    newGame();
    const Bytes first = entry("puzzle/0/table");
    Workspace* current = workspace.get();
    Reacting reacting(current);
    workspace->setEventHandler(&reacting);
    newGame();
    workspace->setEventHandler(&events);
    EXPECT_EQ(entry("puzzle/0/table"), first);
    const Bytes second = entry("puzzle/1/table");
    ASSERT_GT(second.size(), 4u);
    start();
    resume("1");
    EXPECT_EQ(table().background(), Tray::Background(2, TAVO::Color(0.1f, 0.2f, 0.3f), 3));
    resume("0");
    EXPECT_EQ(table().background(), workspace->defaultBackground());
}

TEST_F(Journal, ActionsWhileAnotherGameLoadsAreNotSavedIntoIt) {
    newGame();
    newGame();
    moveTo(1, 900.0f, 900.0f);
    sync();
    const Bytes zero = entry("puzzle/0/table"), one = entry("puzzle/1/table");
    shelf().setCurrentGame("0");
    shelf().loadGame();
    // Game 1's table is still shown: what is done to it now belongs to no game.
    moveTo(2, 800.0f, 800.0f);
    pan(5.0f, 5.0f);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), zero);
    EXPECT_EQ(entry("puzzle/1/table"), one);
    // Once game 0 is in place its actions are saved again, and it loads as played.
    moveTo(3, 700.0f, 700.0f);
    sync();
    // A reload of the game in play: what is done before it arrives goes with the old table.
    shelf().loadGame();
    moveTo(4, 600.0f, 600.0f);
    sync();
    moveTo(5, 500.0f, 500.0f);
    sync();
    const Bytes live = bytesOf(table());
    EXPECT_NE(table().tray(0).partPose(4).position()[0], 600.0f);
    start();
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
    resume("1");
    EXPECT_EQ(table().tray(0).partPose(1).position()[0], 900.0f);
}

TEST_F(Journal, AFailedWriteIsReportedAndTheNextSaveIsASnapshot) {
    newGame();
    moveTo(1, 1000.0f, 0.0f);
    sync();
    const std::uint64_t saved = shelf().savedThrough();
    EXPECT_EQ(saved, shelf().lastSave());
    // A full disk: the file may not grow.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = old;
    {
        TAVO::ArchiveFile file(savedGames(), true, false);
        full.rlim_cur = rlim_t(file.archive()->readStream().size() + 40);
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    moveTo(2, 2000.0f, 0.0f);
    moveTo(3, 3000.0f, 0.0f);
    sync();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(log.has("Failed to save data to puzzle/0/table."));
    EXPECT_EQ(shelf().savedThrough(), saved);
    // The journal lacks a record now: the next save replaces it whole.
    moveTo(4, 4000.0f, 0.0f);
    sync();
    EXPECT_EQ(entry("puzzle/0/table"), snapshot());
    EXPECT_EQ(shelf().savedThrough(), shelf().lastSave());
    const Bytes live = bytesOf(table());
    start();
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
}

TEST_F(Journal, ReplayRemovesEmptiedTraysAsLivePlayDoes) {
    newGame();
    // Moves part 5 to a new tray and back; the next tick removes the emptied
    // tray, so the next new tray takes its id again.
    for (int round = 0; round < 2; ++round) {
        const std::uint32_t tray = table().freeTrayId();
        table().addTray(tray);
        save(table().movePart(0, tray, 5, table().tray(tray).findPlace(5)));
        steps(1);
        save(table().movePart(tray, 0, 5, pose(100.0f * float(round), 0.0f)));
        steps(1);
    }
    save(table().movePart(0, table().freeTrayId(), 6, pose(1.0f, 2.0f)));
    steps(1);
    sync();
    const Bytes live = bytesOf(table());
    EXPECT_EQ(table().trayOrder().size(), 2u);
    start();
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
}

TEST_F(Journal, NothingIsAppendedBehindAFailedWrite) {
    newGame();
    auto fileSize = [this] {
        TAVO::ArchiveFile file(savedGames(), true, false);
        return file.archive()->readStream().size();
    };
    // What one appended move costs the file.
    const std::uint64_t empty = fileSize();
    moveTo(2, 3000.0f, 3000.0f);
    sync();
    const std::uint64_t oneMove = fileSize() - empty;
    const Bytes before = bytesOf(table());
    std::uint32_t a = 0, b = 0;
    for (const auto& [id, part] : table().parts()) {
        if (part.pieces().front() == 0)
            a = id;
        if (part.pieces().front() == 1)
            b = id;
    }
    // Room for a segment of one move, not for one of a tray move and a join.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = old;
    full.rlim_cur = rlim_t(fileSize() + oneMove + 8);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    pan(1.0f, 1.0f);
    Tray& tray = table().tray(0);
    Table::TypedAction& join = table().dropPart(0, a, tray.matchingPose(a, b, tray.partPose(b)));
    ASSERT_EQ(join.tag(), Table::TypedAction::join);
    save(join);
    const std::uint32_t joined = table().nextPartId() - 1;
    // Queued before the failure is known: it must not land behind the gap.
    moveTo(joined, 5000.0f, 5000.0f);
    sync();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(log.has("Failed to save data to puzzle/0/table."));
    start();
    resume("0");
    EXPECT_EQ(events.take().back(), "loaded");
    EXPECT_EQ(bytesOf(table()), before);
}

TEST_F(Journal, AViewMoveOfATrayEmptiedInTheSamePassIsNotWritten) {
    newGame();
    auto send = [this](std::uint32_t part, std::uint32_t from, std::uint32_t to) {
        if (!table().hasTray(to))
            table().addTray(to);
        save(table().movePart(from, to, part, table().tray(to).findPlace(part)));
    };
    auto panTray = [this](std::uint32_t tray, float x, float y) {
        Table::TypedAction& action = table().moveTray(tray, TrayPose(TAVO::Vector<2, float>(x, y), 0.5f));
        action.action().apply(table());
        shelf().setPendingAction(action);
    };
    // A part to a new tray, and in a later pass back: in that pass the
    // emptied tray gets a view move (a wheel turn, "0", a held pan key),
    // which is held back until its delay runs out.
    send(0, 0, 1);
    steps(5);
    send(0, 1, 0);
    panTray(1, 10.0f, 20.0f);
    steps(300);
    // The same with another action before the next tick.
    send(2, 0, 1);
    steps(5);
    send(2, 1, 0);
    panTray(1, 30.0f, 40.0f);
    moveTo(3, 700.0f, 700.0f);
    steps(1);
    // A view move of a tray that stays is still saved.
    panTray(0, 50.0f, 60.0f);
    steps(300);
    sync();
    const Bytes live = bytesOf(table());
    EXPECT_EQ(table().tray(0).pose().position()[0], 50.0f);
    start();
    resume("0");
    ASSERT_FALSE(events.lines.empty());
    EXPECT_EQ(events.take().back(), "loaded");
    EXPECT_EQ(bytesOf(table()), live);
    EXPECT_FALSE(log.has("Skipped record"));
}
