#include "Games.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>

#include "FailingLocks.h"
#include "foundation/platform/NativeFile.h"
#include "foundation/serialization/Serializer.h"
#include "foundation/text/Text.h"
#include "support/UnprivilegedChild.h"

using namespace GamesTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void appendBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class SavedGamesFile : public Games {
protected:
    // Writes entries into the file while no game runs.
    void write(const std::vector<std::pair<std::string, Bytes>>& entries) {
        workspace.reset();
        TAVO::ArchiveFile file(savedGames(), false, false);
        ASSERT_TRUE(file.hasArchive());
        for (const auto& [name, bytes] : entries) {
            auto writer = file.archive()->openWriter(name);
            writer->stream().write(bytes.data(), bytes.size());
            writer->stream().flush();
        }
    }
    static Bytes index(std::uint32_t counter, const std::vector<std::string>& games,
                       const std::vector<std::string>& trash) {
        SavedGames::Index index;
        index.idCounter = counter;
        index.games.assign(games.begin(), games.end());
        index.trash.assign(trash.begin(), trash.end());
        TAVO::IncrementalBuffer buffer;
        SavedGames::write(index, buffer);
        const TAVO::Buffer& constant = buffer;
        return Bytes(constant.data(), constant.data() + buffer.size());
    }
    bool intact() {
        TAVO::ArchiveFile file(savedGames(), true, false);
        return file.hasArchive() && file.archive()->statistics().isIntact();
    }
    // The log lines that hold the text.
    std::vector<std::string> linesWith(const std::string& text) {
        std::vector<std::string> found;
        for (const std::string& line : log.lines())
            if (line.find(text) != std::string::npos)
                found.push_back(line);
        return found;
    }
    // Moves parts of the current game, each save waited for, until the log
    // holds the text; false when it never does.
    bool playUntilLogged(const std::string& text, Bytes& durable) {
        for (int i = 0; i < 400; ++i) {
            moveTo(std::uint32_t(i % 15), 50.0f * float(i), 25.0f);
            sync();
            if (shelf().savedThrough() == shelf().lastSave())
                durable = bytesOf(table());
            if (log.has(text))
                return true;
        }
        return false;
    }
};

// A torn segment: what a kill in the middle of a commit leaves.
const Bytes tornTail{'T', 'A', 1, 0, 1, 0, 0, 0, 9, 9, 9};

} // namespace

TEST_F(SavedGamesFile, ATornTailIsKeptAsideAndTheIntactGamesGoOn) {
    newGame();
    moveTo(3, 1234.0f, 0.0f);
    sync();
    const Bytes live = bytesOf(table());
    workspace.reset();
    // What a kill in the middle of a commit leaves: a segment begun, never finished.
    appendBytes(savedGames(), {'T', 'A', 1, 0, 1, 0, 0, 0, 9, 9, 9});
    const Bytes damaged = fileBytes(savedGames());
    start();
    EXPECT_TRUE(log.has("Saved games were damaged"));
    EXPECT_EQ(fileBytes(savedGames() + ".damaged"), damaged);
    EXPECT_TRUE(intact());
    EXPECT_EQ(shelf().games(), std::vector<std::string>{"0"});
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
    moveTo(4, 2345.0f, 0.0f);
    sync();
    EXPECT_EQ(shelf().savedThrough(), shelf().lastSave());
    // A second damage keeps the older copy and takes the next name.
    workspace.reset();
    appendBytes(savedGames(), {'T', 'A'});
    const Bytes again = fileBytes(savedGames());
    start();
    EXPECT_EQ(fileBytes(savedGames() + ".damaged"), damaged);
    EXPECT_EQ(fileBytes(savedGames() + ".damaged.1"), again);
}

TEST_F(SavedGamesFile, WithoutRoomForACopyTheDamagedFileIsOnlyRead) {
    newGame();
    moveTo(3, 1234.0f, 0.0f);
    sync();
    const Bytes live = bytesOf(table());
    workspace.reset();
    appendBytes(savedGames(), {'T', 'A', 1});
    std::filesystem::create_directory(savedGames() + ".damaged.tmp");
    const Bytes damaged = fileBytes(savedGames());
    start();
    EXPECT_TRUE(log.has("could not be repaired, games will not be saved"));
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
    moveTo(5, 99.0f, 0.0f);
    shelf().saveTable();
    newGame();
    sync();
    EXPECT_EQ(fileBytes(savedGames()), damaged);
    EXPECT_EQ(shelf().savedThrough(), 0u);
}

TEST_F(SavedGamesFile, AFileANewerProgramWroteOnIsReadAndLeftAlone) {
    newGame();
    workspace.reset();
    appendBytes(savedGames(), {'T', 'A', 2, 0, 0, 0, 0, 0});
    const Bytes newer = fileBytes(savedGames());
    start();
    EXPECT_TRUE(log.has(SavedGames::newerVersionMessage));
    resume("0");
    moveTo(1, 10.0f, 10.0f);
    shelf().saveTable();
    sync();
    EXPECT_EQ(fileBytes(savedGames()), newer);
}

TEST_F(SavedGamesFile, EmptyRepeatedAndHalfSavedIdsAreDroppedAtOpen) {
    newGame();
    newGame();
    newGame();
    const Bytes table = entry("puzzle/0/table");
    write({{"index", index(3, {"", "1", "0", "1", "7"}, {"0", "2", "", "8"})}, {"puzzle/8/table", table}});
    events.take();
    start();
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(shelf().trash(), std::vector<std::string>{"2"});
    EXPECT_EQ(events.take(), (std::vector<std::string>{"gameInserted 0", "gameInserted 1", "trashInserted 0"}));
    // The next id skips those in use; the half-saved game's entry goes at the next compaction.
    newGame();
    EXPECT_EQ(shelf().currentGame(), "3");
}

TEST_F(SavedGamesFile, AnUnreadableIndexIsRebuiltFromTheGamesInTheFile) {
    newGame();
    newGame();
    newGame();
    shelf().trashGame("1");
    sync();
    write({{"index", {0, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, '1'}}});
    start();
    EXPECT_TRUE(log.has("The list of saved games could not be read"));
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"2", "1", "0"}));
    EXPECT_TRUE(std::filesystem::exists(savedGames() + ".damaged"));
    newGame();
    EXPECT_EQ(shelf().currentGame(), "3");
    resume("1");
    EXPECT_EQ(events.take().back(), "loaded");
    // The rebuilt lists were written back: the next run reads them.
    start();
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"3", "2", "1", "0"}));
    std::size_t complaints = 0;
    for (const std::string& line : log.lines())
        complaints += line.find("could not be read") != std::string::npos ? 1 : 0;
    EXPECT_EQ(complaints, 1u);
}

TEST_F(SavedGamesFile, EmptyingTheTrashPassesOverEntriesAlreadyGone) {
    newGame();
    newGame();
    Shelf::DisposeGamesJob job(shelf(), {"9", "0"});
    job.run();
    EXPECT_FALSE(exists("puzzle/0/table"));
    EXPECT_FALSE(exists("puzzle/0/setup"));
    EXPECT_TRUE(exists("puzzle/1/setup"));
}

TEST_F(SavedGamesFile, ALoadWithoutTheFileEndsAsAFailedLoad) {
    workspace.reset();
    workspace = std::make_unique<Workspace>(log, logger, settings);
    workspace->shelf().open(folder.file("missing/puzzles.dat"));
    EXPECT_TRUE(log.has("Unable to open puzzles archive: "));
    EXPECT_TRUE(log.has("Saves will not be available."));
    Shelf::LoadGameJob job(shelf(), "0", workspace->loader());
    job.run();
    job.done();
    EXPECT_TRUE(log.has("Unable to load game 0."));
}

TEST_F(SavedGamesFile, DamagedOrHostileGamesAreBrokenGames) {
    settings.set("lighting", "map");
    start();
    newGame();
    for (int i = 0; i < 5; ++i)
        moveTo(std::uint32_t(i), 3000.0f + 100.0f * float(i), 0.0f);
    pan(1.0f, 2.0f);
    save(table().changeBackground(Tray::Background(2, TAVO::Color(0.5f, 0.5f, 0.5f), 2)));
    sync();
    const Bytes setup = entry("puzzle/0/setup"), tableBytes = entry("puzzle/0/table");
    const std::string fifo = folder.file("fifo.ppm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto setupNaming = [&](const std::string& name) {
        Bytes named(setup.begin(), setup.begin() + 8);
        const Bytes length{std::uint8_t(name.size()), std::uint8_t(name.size() >> 8), 0, 0};
        named.insert(named.end(), length.begin(), length.end());
        named.insert(named.end(), name.begin(), name.end());
        const std::size_t old = std::size_t(setup[8]) | std::size_t(setup[9]) << 8;
        named.insert(named.end(), setup.begin() + 12 + std::ptrdiff_t(old), setup.end());
        return named;
    };
    std::vector<std::pair<Bytes, Bytes>> games;
    // Every cut of both entries, and random damage to each.
    for (std::size_t n = 0; n < setup.size(); ++n)
        games.push_back({Bytes(setup.begin(), setup.begin() + std::ptrdiff_t(n)), tableBytes});
    for (std::size_t n = 0; n < tableBytes.size(); n += 5)
        games.push_back({setup, Bytes(tableBytes.begin(), tableBytes.begin() + std::ptrdiff_t(n))});
    std::mt19937 random(7);
    for (int k = 0; k < 100; ++k) {
        Bytes s = setup, t = tableBytes;
        Bytes& target = k % 3 == 0 ? s : t;
        for (int flips = 0; flips < 1 + k % 4; ++flips) {
            const std::size_t at = random() % target.size();
            target[at] = k % 2 == 0 ? std::uint8_t(random()) : 0xFF;
        }
        games.push_back({s, t});
    }
    games.push_back({setupNaming(fifo), tableBytes});
    games.push_back({setupNaming(folder.path()), tableBytes});
    games.push_back({setupNaming(std::string(5000, 'a')), tableBytes});
    Bytes large = setup;
    large.resize(SavedGames::maximumSetupBytes + 1, 0);
    games.push_back({large, tableBytes});

    std::vector<std::pair<std::string, Bytes>> entries;
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < games.size(); ++i) {
        const std::string id = std::to_string(i + 10);
        ids.push_back(id);
        entries.push_back({SavedGames::setupEntry(id), games[i].first});
        entries.push_back({SavedGames::tableEntry(id), games[i].second});
    }
    entries.push_back({"index", index(10, ids, {})});
    write(entries);
    start();
    events.take();
    std::size_t loaded = 0, failed = 0;
    for (const std::string& id : ids) {
        resume(id);
        const std::vector<std::string> heard = events.take();
        ASSERT_FALSE(heard.empty()) << id;
        if (heard.back() == "loaded") {
            ++loaded;
            EXPECT_NO_THROW(table().validate());
            continue;
        }
        ++failed;
        EXPECT_EQ(heard.back(), "failed") << id;
        EXPECT_TRUE(shelf().description(id).broken) << id;
        EXPECT_TRUE(log.has("Unable to load game " + id + ".")) << id;
    }
    EXPECT_GT(failed, games.size() / 2);
    EXPECT_GT(loaded, 0u);
    EXPECT_TRUE(log.has("Unable to load picture " + fifo + " for game "));
}

// ---- copies of damaged files ----

TEST_F(SavedGamesFile, ADamagedFileIsCopiedToTheFirstFreeNameAndNoCopyIsReplaced) {
    newGame();
    moveTo(3, 1234.0f, 0.0f);
    sync();
    const Bytes live = bytesOf(table());
    workspace.reset();
    // Copies an earlier run kept: the only ones of what they hold.
    const std::string copy = savedGames() + ".damaged";
    const Bytes first{'f', 'i', 'r', 's', 't'}, second{'s', 'e', 'c'}, fourth{'4'};
    appendBytes(copy, first);
    appendBytes(copy + ".1", second);
    appendBytes(copy + ".3", fourth);
    appendBytes(savedGames(), tornTail);
    const Bytes damaged = fileBytes(savedGames());
    start();
    EXPECT_EQ(fileBytes(copy), first);
    EXPECT_EQ(fileBytes(copy + ".1"), second);
    EXPECT_EQ(fileBytes(copy + ".2"), damaged);
    EXPECT_EQ(fileBytes(copy + ".3"), fourth);
    EXPECT_EQ(linesWith("copied to " + copy + ".2.").size(), 1u);
    EXPECT_TRUE(intact());
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
    // The next damage goes past the copies again.
    workspace.reset();
    appendBytes(savedGames(), tornTail);
    const Bytes again = fileBytes(savedGames());
    start();
    EXPECT_EQ(fileBytes(copy + ".2"), damaged);
    EXPECT_EQ(fileBytes(copy + ".4"), again);
    EXPECT_FALSE(std::filesystem::exists(copy + ".tmp"));
}

TEST_F(SavedGamesFile, ADamageThatCannotBeRepairedIsCopiedOnceAndEachOtherDamageOnce) {
    newGame(4);
    workspace.reset();
    appendBytes(savedGames(), tornTail);
    // The compaction's file cannot be made: the file stays as it is.
    std::filesystem::create_directory(savedGames() + ".tmp");
    const Bytes damaged = fileBytes(savedGames());
    const std::string copy = savedGames() + ".damaged";
    for (int run = 0; run < 3; ++run) {
        start();
        EXPECT_EQ(shelf().games(), std::vector<std::string>{"0"}) << run;
    }
    EXPECT_EQ(linesWith("The damaged file was copied to " + copy + ".").size(), 3u);
    EXPECT_EQ(fileBytes(copy), damaged);
    EXPECT_FALSE(std::filesystem::exists(copy + ".1"));
    // Another damage, of the same length and differing in its last byte only,
    // is copied once too; the first copy stays.
    workspace.reset();
    Bytes other = damaged;
    other.back() ^= 1;
    std::filesystem::remove(savedGames());
    appendBytes(savedGames(), other);
    start();
    start();
    EXPECT_EQ(fileBytes(copy), damaged);
    EXPECT_EQ(fileBytes(copy + ".1"), other);
    EXPECT_FALSE(std::filesystem::exists(copy + ".2"));
    EXPECT_EQ(linesWith("copied to " + copy + ".1.").size(), 2u);
    // Each copy is compared, not only the newest; what is no regular file is
    // never opened (a FIFO would wait for a writer).
    workspace.reset();
    std::filesystem::rename(copy + ".1", copy + ".2");
    ASSERT_EQ(mkfifo((copy + ".1").c_str(), 0600), 0);
    appendBytes(copy + ".4", {'4'});
    start();
    EXPECT_FALSE(std::filesystem::exists(copy + ".3"));
    EXPECT_EQ(linesWith("copied to " + copy + ".2.").size(), 1u);
    EXPECT_EQ(fileBytes(savedGames()), other);
}

TEST_F(SavedGamesFile, AnUnreadableIndexIsNotCopiedAgainWhenACopyHoldsIt) {
    newGame(4);
    newGame(4);
    write({{"index", {0, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, '1'}}});
    // An earlier run copied the file and ended before the rebuilt list was written.
    const std::string copy = savedGames() + ".damaged";
    appendBytes(copy, fileBytes(savedGames()));
    start();
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    EXPECT_EQ(linesWith("which was copied to " + copy + ".").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(copy + ".1"));
}

TEST_F(SavedGamesFile, AnUnreadableIndexIsLeftAsItIsWhenNoCopyCanBeKept) {
    newGame();
    newGame();
    sync();
    write({{"index", {0, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, '1'}}});
    std::filesystem::create_directory(savedGames() + ".damaged.tmp");
    const Bytes before = fileBytes(savedGames());
    start();
    EXPECT_TRUE(log.has("no copy of it could be kept"));
    EXPECT_FALSE(shelf().savesUnavailable().empty());
    // The games found are played; nothing is written.
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
    resume("1");
    EXPECT_EQ(events.take().back(), "loaded");
    moveTo(2, 300.0f, 300.0f);
    shelf().saveTable();
    newGame();
    sync();
    EXPECT_EQ(fileBytes(savedGames()), before);
}

// ---- what the repair says ----

TEST_F(SavedGamesFile, TheRepairSaysHowManyListedGamesWereKeptAndNamesTheCopy) {
    // Three games, the file's length noted after each one's saves.
    std::vector<std::size_t> lengths;
    for (int i = 0; i < 3; ++i) {
        newGame();
        sync();
        lengths.push_back(fileBytes(savedGames()).size());
    }
    workspace.reset();
    const Bytes whole = fileBytes(savedGames());
    // Cut in half: the games whose saves lie wholly in the first half remain.
    Bytes half(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2));
    const std::size_t left = std::size_t(std::count_if(lengths.begin(), lengths.end(),
                                                       [&](std::size_t n) { return n <= half.size(); }));
    std::filesystem::resize_file(savedGames(), half.size());
    start();
    const std::string copy = savedGames() + ".damaged";
    const std::string listed = left == 0 ? "no list of games was left in it, so no game was kept"
                               : left == 1 ? "the index listed 1 game, 1 was kept"
                                           : "the index listed " + std::to_string(left) + " games, " +
                                                 std::to_string(left) + " were kept";
    EXPECT_EQ(linesWith("Saved games were damaged").size(), 1u);
    EXPECT_TRUE(log.has("): " + listed + "; the damaged file was copied to " + copy + ".")) << log.lines().back();
    EXPECT_FALSE(log.has("the intact games were kept"));
    EXPECT_EQ(shelf().games().size(), left);
    EXPECT_EQ(fileBytes(copy), half);

    // Random bytes: nothing is left, and the line says so.
    workspace.reset();
    std::mt19937 random(3);
    Bytes noise(whole.size());
    for (std::uint8_t& byte : noise)
        byte = std::uint8_t(random());
    std::filesystem::remove(savedGames());
    appendBytes(savedGames(), noise);
    start();
    EXPECT_TRUE(log.has("): no list of games was left in it, so no game was kept; the damaged file was copied to " +
                        copy + ".1."));
    EXPECT_TRUE(shelf().games().empty());
    EXPECT_EQ(fileBytes(copy + ".1"), noise);

    // An index that lists games whose entries the file lacks: it says how
    // many it listed (both lists) and how many of them remain.
    workspace.reset();
    std::filesystem::remove(savedGames());
    start();
    newGame();
    newGame();
    const Bytes setup = entry("puzzle/0/setup");
    write({{"index", index(3, {"2", "1", "0"}, {"5"})}, {"puzzle/2/setup", setup}});
    appendBytes(savedGames(), tornTail);
    start();
    EXPECT_TRUE(log.has("): the index listed 4 games, 2 were kept; the damaged file was copied to " + copy + ".2."))
        << log.lines().back();
    EXPECT_EQ(shelf().games(), (std::vector<std::string>{"1", "0"}));
}

// ---- saves that cannot happen ----

TEST_F(SavedGamesFile, AFileAnotherRunningGameHoldsIsNamedAsInUse) {
    newGame();
    sync();
    workspace.reset();
    TAVO::ArchiveFile other(savedGames(), false, false);
    ASSERT_TRUE(other.hasArchive());
    start();
    const std::string reason = "The file " + savedGames() + " is in use by another running Kestrune.";
    EXPECT_EQ(shelf().savesUnavailable(), reason);
    EXPECT_EQ(linesWith("Saves will not be available.").size(), 1u);
    EXPECT_TRUE(log.has("Saves will not be available. " + reason));
    EXPECT_FALSE(shelf().enabled());
    EXPECT_TRUE(shelf().games().empty());
}

TEST_F(SavedGamesFile, AFileThatCannotBeWrittenIsNamedWithTheSystemsReason) {
    newGame();
    sync();
    workspace.reset();
    ASSERT_EQ(chmod(savedGames().c_str(), 0444), 0);
    // What a run opening the file says: the reason, then the log lines about
    // saves; "writable" when the file could be written after all.
    auto observe = [this] {
        std::string ignored;
        TAVO::NativeFile probe;
        if (probe.open(savedGames(), TAVO::NativeFile::Mode::ReadWrite, ignored))
            return std::string("writable");
        KestruneTest::MemoryLog runLog;
        TAVO::ExceptionLogger runLogger(runLog);
        Workspace run(runLog, runLogger, settings);
        run.shelf().open(savedGames());
        std::string answer = run.shelf().savesUnavailable() + "\n";
        for (const std::string& line : runLog.lines())
            if (line.rfind("Saves will not be available.", 0) == 0)
                answer += line + "\n";
        return answer;
    };
    // Root writes to any file: the run is a child that is not root.
    KestruneTest::UnprivilegedChild::lend(folder.path());
    const std::string answer = KestruneTest::UnprivilegedChild::run(observe);
    const std::string reason = "The file " + savedGames() + " cannot be written (Permission denied).";
    EXPECT_EQ(answer, reason + "\nSaves will not be available. " + reason + "\n");
}

TEST_F(SavedGamesFile, LinesThatQuoteTheFileOrItsNamesStayOnePrintableLine) {
    newGame(4);
    const Bytes table = entry("puzzle/0/table");
    // A game whose id, part of its entries' names, holds an escape sequence,
    // a bell and a line feed; its table is cut short.
    const std::string id = "\x1b[2J\a\n9";
    // Another whose journal moves the view of a tray it does not have; its
    // id also holds a byte that is no UTF-8.
    const std::string skipping = "\x1b[1m\a\xff\n8";
    Table::TypedAction gonePan;
    gonePan.set(Table::MoveTrayAction(1, TrayPose(TAVO::Vector<2, float>(10.0f, 20.0f), 0.5f)));
    Bytes journal = table;
    const Bytes record = bytesOf(gonePan);
    journal.insert(journal.end(), record.begin(), record.end());
    write({{"index", index(10, {"0", id, skipping}, {})},
           {SavedGames::setupEntry(id), entry("puzzle/0/setup")},
           {SavedGames::tableEntry(id), Bytes(table.begin(), table.begin() + 3)},
           {SavedGames::setupEntry(skipping), entry("puzzle/0/setup")},
           {SavedGames::tableEntry(skipping), journal}});
    // The file, damaged beyond repair, in a folder named with the same bytes.
    const std::string odd = folder.file("saves\x1b]0;x\a\n");
    ASSERT_TRUE(std::filesystem::create_directory(odd));
    Bytes damaged = fileBytes(savedGames());
    damaged.insert(damaged.end(), tornTail.begin(), tornTail.end());
    appendBytes(odd + "/puzzles.dat", damaged);
    std::filesystem::create_directory(odd + "/puzzles.dat.tmp");
    workspace.reset();
    workspace = std::make_unique<Workspace>(log, logger, settings);
    shelf().open(odd + "/puzzles.dat");
    ASSERT_EQ(shelf().games(), (std::vector<std::string>{"0", id, skipping}));
    resume(id);
    ASSERT_TRUE(shelf().description(id).broken);
    resume(skipping);
    ASSERT_FALSE(shelf().description(skipping).broken);
    EXPECT_EQ(linesWith("Skipped record 1 of game \\x1b[1m\\x07\\xff\\n8, a view move of tray 1, which no longer "
                        "exists.")
                  .size(),
              1u);
    const std::string shown = folder.path() + "/saves\\x1b]0;x\\x07\\n/puzzles.dat";
    const std::string reason = "The file " + shown + " is damaged and could not be repaired (Unable to create "
                               "temporary file for compactation: " + shown + ".tmp). The damaged file was copied to " +
                               shown + ".damaged.";
    EXPECT_EQ(TAVO::Text::printable(shelf().savesUnavailable()), reason);
    EXPECT_EQ(linesWith("could not be repaired, games will not be saved: Unable to create temporary file for "
                        "compactation: " + shown + ".tmp. The damaged file was copied to " + shown + ".damaged.")
                  .size(),
              1u);
    EXPECT_EQ(linesWith("Unable to load game \\x1b[2J\\x07\\n9.").size(), 1u);
    // A file that cannot be opened at all.
    workspace.reset();
    workspace = std::make_unique<Workspace>(log, logger, settings);
    shelf().open(odd + "/missing/puzzles.dat");
    EXPECT_EQ(linesWith("Saves will not be available. The file " + folder.path() +
                        "/saves\\x1b]0;x\\x07\\n/missing/puzzles.dat cannot be written (No such file or directory).")
                  .size(),
              1u);
    EXPECT_EQ(log.unprintable(), std::vector<std::string>{});
}

// ---- compaction ----

TEST_F(SavedGamesFile, CompactionRemovesOnlyTheEntriesOfGamesInNeitherList) {
    newGame();
    newGame();
    shelf().trashGame("0");
    sync();
    const Bytes some{1, 2, 3};
    const std::vector<std::string> others{"notes", "puzzle/7", "puzzle//table", "puzzle/7/thumbnail",
                                          "puzzles/7/setup"};
    std::vector<std::pair<std::string, Bytes>> entries{{"puzzle/7/setup", some}, {"puzzle/9/table", some}};
    for (const std::string& name : others)
        entries.push_back({name, some});
    write(entries);
    start();
    resume("1");
    for (int i = 0; i < 400 && exists("puzzle/7/setup"); ++i) {
        moveTo(std::uint32_t(i % 15), 40.0f * float(i), 0.0f);
        sync();
    }
    EXPECT_FALSE(exists("puzzle/7/setup"));
    EXPECT_FALSE(exists("puzzle/9/table"));
    for (const std::string& name : others)
        EXPECT_EQ(entry(name), some) << name;
    for (const char* name : {"index", "puzzle/0/setup", "puzzle/0/table", "puzzle/1/setup", "puzzle/1/table"})
        EXPECT_TRUE(exists(name)) << name;
    {
        TAVO::ArchiveFile file(savedGames(), true, false);
        EXPECT_TRUE(file.archive()->statistics().isCompactEnough());
    }
    const Bytes live = bytesOf(table());
    start();
    EXPECT_EQ(shelf().games(), std::vector<std::string>{"1"});
    EXPECT_EQ(shelf().trash(), std::vector<std::string>{"0"});
    resume("1");
    EXPECT_EQ(bytesOf(table()), live);
    shelf().restoreGame("0");
    resume("0");
    EXPECT_EQ(events.take().back(), "loaded");
}

TEST_F(SavedGamesFile, ACompactionThatCannotWriteItsCopyIsLoggedAndLosesNothing) {
    newGame();
    write({{"puzzle/7/setup", {1, 2, 3}}});
    start();
    resume("0");
    std::filesystem::create_directory(savedGames() + ".tmp");
    Bytes durable;
    ASSERT_TRUE(playUntilLogged("Compactation failed: ", durable));
    EXPECT_EQ(linesWith("Compactation failed: "),
              std::vector<std::string>{"Compactation failed: Unable to create temporary file for compactation: " +
                                       savedGames() + ".tmp"});
    // Saving goes on, without another attempt in this run.
    for (int i = 0; i < 100; ++i)
        moveTo(std::uint32_t(i % 15), 3000.0f + float(i), 7.0f);
    sync();
    EXPECT_EQ(shelf().savedThrough(), shelf().lastSave());
    EXPECT_EQ(linesWith("Compactation failed: ").size(), 1u);
    EXPECT_FALSE(log.has("Unable open save file after compactation."));
    const Bytes live = bytesOf(table());
    start();
    EXPECT_TRUE(intact());
    resume("0");
    EXPECT_EQ(bytesOf(table()), live);
}

TEST_F(SavedGamesFile, ACompactedFileThatCannotBeReopenedIsLoggedAndLosesNothing) {
    newGame();
    start();
    resume("0");
    // The compaction's copy takes the first lock, the reopened file the second.
    FailingLocks::failNth(2);
    Bytes durable;
    const bool failed = playUntilLogged("Unable open save file after compactation.", durable);
    FailingLocks::off();
    ASSERT_TRUE(failed);
    EXPECT_EQ(linesWith("Unable open save file after compactation.").size(), 1u);
    // Later saves find no file: each is reported, none is counted as saved.
    const std::uint64_t saved = shelf().savedThrough();
    moveTo(4, 9000.0f, 9000.0f);
    sync();
    EXPECT_TRUE(log.has("Failed to save data to puzzle/0/table."));
    EXPECT_EQ(shelf().savedThrough(), saved);
    // The compacted file holds every save made before.
    EXPECT_FALSE(std::filesystem::exists(savedGames() + ".tmp"));
    start();
    EXPECT_TRUE(intact());
    resume("0");
    EXPECT_EQ(bytesOf(table()), durable);
}
