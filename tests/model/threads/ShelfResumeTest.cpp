// Resuming a saved game while its picture decodes beside the rest of the
// load: the game is the one a load step by step makes, and every way a load
// fails ends as it did, the picture looked at first.
#include "Games.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "model/PartMeshSet.h"
#include "model/Puzzle.h"
#include "support/PollUntil.h"
#include "support/RangesOf.h"

using namespace GamesTest;
using KestruneTest::rangesOf;

namespace {

using Bytes = std::vector<std::uint8_t>;

TAVO::IncrementalBuffer bufferOf(const Bytes& bytes) {
    TAVO::IncrementalBuffer buffer;
    buffer.setSize(std::uint32_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer.data());
    return buffer;
}

// A job that only tells that the worker reached it: the jobs queued before it
// have run.
class Marker : public TAVO::Worker::Job {
public:
    explicit Marker(std::shared_ptr<std::atomic<bool>> ran) : ran_(std::move(ran)) {}
    void run() override { ran_->store(true); }
    void done() override {}
    void failed() override {}

private:
    std::shared_ptr<std::atomic<bool>> ran_;
};

// The events, and a copy of the meshes the view would be given.
class Keeping : public Events {
public:
    void puzzleLoaded(PartMeshSet& given) override {
        Events::puzzleLoaded(given);
        meshes = given;
    }
    PartMeshSet meshes;
};

class Resume : public Games {
protected:
    void SetUp() override {
        Games::SetUp();
        // A picture large enough that the load takes a while, and a game
        // of 300 pieces played a little.
        large = folder.file("large.ppm");
        KestruneTest::PictureFiles::writeNetPBM(large, 1200, 900, 3, KestruneTest::PictureFiles::pattern(1200, 900, 3));
        newGame(300, large);
        for (int i = 0; i < 12; ++i)
            moveTo(std::uint32_t(i * 7), 2000.0f + 90.0f * float(i), -300.0f);
        pan(3.0f, 4.0f);
        sync();
    }
    void restart() {
        start();
        workspace->setEventHandler(&keeping);
        logged = log.lines().size();
    }
    // Lines logged since the restart.
    std::vector<std::string> newLines() {
        const std::vector<std::string> lines = log.lines();
        return std::vector<std::string>(lines.begin() + std::ptrdiff_t(logged), lines.end());
    }
    // Writes entries into the file while no game runs.
    void write(const std::string& name, const Bytes& bytes) {
        workspace.reset();
        TAVO::ArchiveFile file(savedGames(), false, false);
        ASSERT_TRUE(file.hasArchive());
        auto writer = file.archive()->openWriter(name);
        writer->stream().write(bytes.data(), bytes.size());
        writer->stream().flush();
    }
    void expectBroken(const std::string& id) {
        ASSERT_FALSE(keeping.lines.empty());
        EXPECT_EQ(keeping.lines.back(), "failed");
        EXPECT_EQ(workspace->puzzle(), nullptr);
        EXPECT_TRUE(shelf().description(id).broken);
    }

    std::string large;
    Keeping keeping;
    std::size_t logged = 0;
};

} // namespace

// What the view is given is what loading the parts one after the other
// makes: the same set-up and picture, the same table, the same mesh bytes.
TEST_F(Resume, TheResumedGameIsTheOneALoadStepByStepMakes) {
    const Bytes played = bytesOf(table());
    restart();
    const Bytes setupEntry = entry("puzzle/0/setup"), tableEntry = entry("puzzle/0/table");
    resume("0");
    ASSERT_FALSE(keeping.lines.empty());
    ASSERT_EQ(keeping.lines.back(), "loaded");
    EXPECT_EQ(bytesOf(table()), played);

    // The load step by step: set-up, picture, cut, table, meshes in order.
    ::Setup setup;
    SavedGames::readSetup(bufferOf(setupEntry), setup, log);
    Picture picture;
    ASSERT_TRUE(workspace->loader().loadPicture(setup.pictureName(), picture));
    setup.setPicture(setup.pictureName(), picture);
    const std::unique_ptr<Puzzle> puzzle = setup.generate();
    Table stepwise;
    SavedGames::readTable(bufferOf(tableEntry), *puzzle, stepwise, log);
    PartMeshSet meshes;
    meshes.build(*puzzle, stepwise, true, 1);

    EXPECT_EQ(bytesOf(stepwise), played);
    EXPECT_EQ(workspace->puzzle()->pieceCount(), puzzle->pieceCount());
    EXPECT_TRUE(keeping.meshes.positions() == meshes.positions());
    EXPECT_TRUE(keeping.meshes.edgeAttributes() == meshes.edgeAttributes());
    EXPECT_TRUE(keeping.meshes.indices() == meshes.indices());
    EXPECT_EQ(rangesOf(keeping.meshes), rangesOf(meshes));
    const Picture& shown = workspace->currentSetup().picture();
    EXPECT_EQ(workspace->currentSetup().pictureName(), large);
    ASSERT_EQ(shown.bufferConst().size(), picture.bufferConst().size());
    EXPECT_TRUE(std::equal(picture.bufferConst().data(), picture.bufferConst().data() + picture.bufferConst().size(),
                           shown.bufferConst().data()));
    EXPECT_EQ(workspace->currentSetup().puzzleSize(), setup.puzzleSize());
}

// A picture that is gone or not a picture fails the game for its picture.
TEST_F(Resume, AMissingOrBrokenPictureFailsTheGameForItsPicture) {
    for (bool missing : {true, false}) {
        workspace.reset();
        if (missing) {
            std::filesystem::remove(large);
        } else {
            std::ofstream(large, std::ios::binary | std::ios::trunc) << "P6\n1200 900\n255\nnot nearly enough";
        }
        restart();
        resume("0");
        expectBroken("0");
        const std::vector<std::string> lines = newLines();
        ASSERT_EQ(lines.size() >= 2, true);
        EXPECT_NE(lines[lines.size() - 2].find("Unable to load picture " + large + " for game 0."), std::string::npos);
        EXPECT_NE(lines.back().find("Unable to load game 0."), std::string::npos);
        // The game can be resumed again once its picture is back.
        KestruneTest::PictureFiles::writeNetPBM(large, 1200, 900, 3, KestruneTest::PictureFiles::pattern(1200, 900, 3));
        keeping.lines.clear();
        resume("0");
        ASSERT_FALSE(keeping.lines.empty());
        EXPECT_EQ(keeping.lines.back(), "loaded") << (missing ? "missing" : "broken");
    }
}

// A damaged table fails the game with what reading it threw; when the
// picture is gone as well, the game fails for its picture alone, and nothing
// the table's reading would have said is logged.
TEST_F(Resume, ThePictureIsLookedAtBeforeTheTable) {
    Bytes damaged = entry("puzzle/0/table");
    damaged.resize(damaged.size() / 2);
    write("puzzle/0/table", damaged);
    restart();
    resume("0");
    expectBroken("0");
    std::vector<std::string> lines = newLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back().find("Unable to load game 0."), lines.back().size() - 22) << lines.back();
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("Unable to load picture"), std::string::npos) << line;

    // A table of a newer version, and damaged: with the picture gone only
    // the picture is spoken of.
    damaged[0] = 1;
    write("puzzle/0/table", damaged);
    std::filesystem::remove(large);
    restart();
    resume("0");
    expectBroken("0");
    lines = newLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Unable to load picture " + large + " for game 0."), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("Unable to load game 0."), std::string::npos) << lines[1];

    // With the picture back the newer version is spoken of first, then the damage.
    KestruneTest::PictureFiles::writeNetPBM(large, 1200, 900, 3, KestruneTest::PictureFiles::pattern(1200, 900, 3));
    restart();
    resume("0");
    expectBroken("0");
    lines = newLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find("Saved games are of a newer version, please upgrade."), std::string::npos) << lines[0];
    EXPECT_NE(lines.back().find("Unable to load game 0."), std::string::npos);
}

// A game's thumbnail comes from the loader's threads and may arrive after a
// load of the game failed: the failed game stays marked, whichever comes
// first, so the list never offers it as playable again.
TEST_F(Resume, AFailedLoadKeepsItsMarkWhateverTheThumbnailSays) {
    Bytes cut = entry("puzzle/0/table");
    cut.resize(3);
    write("puzzle/0/table", cut);

    // The thumbnail asked for first arrives after the failure.
    restart();
    workspace->loader().stop();
    shelf().loadThumbnail("0");
    shelf().setCurrentGame("0");
    shelf().loadGame();
    KestruneTest::pollUntil(*workspace, [&] { return !keeping.lines.empty(); });
    expectBroken("0");
    EXPECT_FALSE(shelf().description("0").thumbnailReady);
    workspace->loader().start();
    sync();
    EXPECT_TRUE(shelf().description("0").thumbnailReady);
    EXPECT_TRUE(shelf().description("0").broken);

    // The thumbnail first, then the failure, then a thumbnail asked again.
    restart();
    shelf().loadThumbnail("0");
    sync();
    ASSERT_TRUE(shelf().description("0").thumbnailReady);
    EXPECT_FALSE(shelf().description("0").broken);
    resume("0");
    expectBroken("0");
    shelf().loadThumbnail("0");
    sync();
    EXPECT_TRUE(shelf().description("0").broken);
}

// Shutting down while a game loads waits for the load and its decode and
// installs nothing: the game in play stays, nothing is heard, the worker is
// stopped with nothing left over, and the move made before the load still
// reaches the file. The load is cut short at three points: queued, under way
// while the game polls each frame, and run to its end with its completion not
// yet polled.
TEST_F(Resume, AShutDownDuringALoadEndsCleanly) {
    for (int round = 0; round < 3; ++round) {
        restart();
        resume("0");
        ASSERT_FALSE(keeping.lines.empty());
        ASSERT_EQ(keeping.lines.back(), "loaded");
        moveTo(std::uint32_t(round), 300.0f * float(round + 1), 500.0f);
        const Bytes played = bytesOf(table());
        const Puzzle* inPlay = workspace->puzzle();
        keeping.lines.clear();
        shelf().setCurrentGame("0");
        shelf().loadGame();
        auto ran = std::make_shared<std::atomic<bool>>(false);
        workspace->worker().add(std::make_unique<Marker>(ran));
        if (round == 1) {
            for (int frame = 0; frame < 5; ++frame) {
                workspace->poll();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        } else if (round == 2) {
            while (!ran->load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // A load that ended before the shut-down (a slow machine's poll) is
        // heard and installed as at any other time; this round then checks
        // only the shut-down.
        const bool ended = !keeping.lines.empty();
        const std::size_t heard = keeping.lines.size();
        workspace->stop();
        EXPECT_EQ(keeping.lines.size(), heard) << "round " << round << ": heard during the shut-down";
        EXPECT_TRUE(ran->load()) << "round " << round;
        EXPECT_FALSE(workspace->worker().started()) << "round " << round;
        EXPECT_EQ(workspace->worker().unfinished(), 0u) << "round " << round;
        EXPECT_EQ(workspace->poll(), 0u) << "round " << round;
        if (!ended) {
            EXPECT_EQ(workspace->puzzle(), inPlay) << "round " << round;
            EXPECT_EQ(bytesOf(table()), played) << "round " << round;
        } else {
            EXPECT_NE(round, 0) << "heard before the first poll";
            EXPECT_EQ(keeping.lines, std::vector<std::string>{"loaded"}) << "round " << round;
        }
        for (const std::string& line : newLines())
            EXPECT_EQ(line.find("Unable"), std::string::npos) << "round " << round << ": " << line;
        // The next start resumes the game as it was played.
        restart();
        resume("0");
        ASSERT_FALSE(keeping.lines.empty());
        EXPECT_EQ(keeping.lines.back(), "loaded");
        EXPECT_EQ(bytesOf(table()), played) << "round " << round;
    }
}
