#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/packages/ArchiveFile.h"
#include "foundation/streams/WriteStream.h"
#include "support/Command.h"
#include "support/PictureFiles.h"
#include "support/TempFolder.h"

using KestruneTest::Command;
using KestruneTest::PictureFiles;
using KestruneTest::TempFolder;

namespace {

const std::string driver = KESTRUNE_BINARY_DIR "/bin/kestrune-model";
const std::string sessions = "python3 " KESTRUNE_SOURCE_DIR "/tests/tools/model/saved_games.py";

class ModelSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Command::available("python3"))
            GTEST_SKIP() << "python3 is missing";
        picture = folder.file("picture.ppm");
        PictureFiles::writeNetPBM(picture, 200, 150, 3, PictureFiles::pattern(200, 150, 3));
    }

    // Runs a script through the driver; the output lines.
    std::vector<std::string> run(const std::string& script, int expectedExit = 0) {
        const std::string file = folder.file("script.txt");
        std::ofstream(file) << script;
        const Command::Result result = Command::run(driver + " session --folder " + folder.path() + " <" + file);
        EXPECT_EQ(result.exitCode, expectedExit) << result.output;
        std::vector<std::string> lines;
        std::istringstream in(result.output);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // The lines that begin with the prefix.
    static std::vector<std::string> only(const std::vector<std::string>& lines, const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& line : lines)
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line);
        return out;
    }
    std::string python(const std::string& arguments) {
        const Command::Result result = Command::run(sessions + " " + arguments + " 2>&1");
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    }

    TempFolder folder;
    std::string picture;
};

} // namespace

TEST_F(ModelSession, TheIndependentReaderAgreesWithTheDumpAfterRandomSessions) {
    for (int seed = 1; seed <= 3; ++seed) {
        Command::run("rm -f " + folder.file("puzzles.dat*"));
        EXPECT_EQ(python("random " + driver + " " + folder.path() + " " + picture + " " + std::to_string(seed) +
                         " 60"),
                  "agree\n");
    }
}

TEST_F(ModelSession, KilledAtRandomPointsNoDropReportedSavedIsLost) {
    const std::string out = python("kill " + driver + " " + folder.path() + " " + picture + " 11 25");
    EXPECT_EQ(out.rfind("rounds 25 saved ", 0), 0u) << out;
}

TEST_F(ModelSession, AFullDiskIsReportedAndLosesNoEarlierDrop) {
    const std::string out = python("full " + driver + " " + folder.path() + " " + picture);
    EXPECT_EQ(out.rfind("saved ", 0), 0u) << out;
}

TEST_F(ModelSession, ListsOrderTrashAndThumbnailsFollowThePlayer) {
    const std::string p = picture;
    auto lines = run("new " + p + " 16\nsync\nnew " + p + " 9\nsync\nnew " + p + " 4\nsync\nlist\n"
                     "resume 0\nsync\ndrop 0 1 900 900\nleave\nsync\nlist\n"
                     "trash 1\ntrash 0\nlist\nrestore 1\nlist\nempty-trash\nsync\nlist\n"
                     "thumbnails " + folder.path() + "\nlist\nquit\n");
    EXPECT_EQ(only(lines, "games"),
              (std::vector<std::string>{"games 2 1 0", "games 0 2 1", "games 2", "games 1 2", "games 1 2", "games 1 2"}));
    EXPECT_EQ(only(lines, "trash"), (std::vector<std::string>{"trash", "trash", "trash 0 1", "trash 0", "trash", "trash"}));
    // Leaving game 0 moves it to the front; trashing and restoring tell the panel.
    const std::vector<std::string> panel = only(lines, "event game");
    EXPECT_NE(std::find(panel.begin(), panel.end(), "event gameMoved 2 0"), panel.end());
    EXPECT_EQ(only(lines, "event trash"), (std::vector<std::string>{"event trashInserted 0", "event trashInserted 0",
                                                                    "event trashRemoved 1", "event trashRemoved 0"}));
    EXPECT_EQ(only(lines, "page"), std::vector<std::string>{"page 0 " + folder.file("page-0.png")});
    EXPECT_EQ(only(lines, "description").back(), "description 2 broken 0 ready 1 tile 1");
    const Command::Result page = Command::run("pngtopnm " + folder.file("page-0.png") + " | pamfile");
    EXPECT_NE(page.output.find("1024 by 1024"), std::string::npos) << page.output;
    // A new run lists the same and resumes the game as it was left.
    lines = run("list\nresume 1\nsync\ndump\nquit\n");
    EXPECT_EQ(only(lines, "games"), std::vector<std::string>{"games 1 2"});
    EXPECT_EQ(only(lines, "trash"), std::vector<std::string>{"trash"});
    ASSERT_EQ(only(lines, "dump").size(), 1u);
    EXPECT_NE(only(lines, "dump")[0].find("\"requested\":9"), std::string::npos);
}

TEST_F(ModelSession, ExitCodesTellScriptErrorsFromFailuresAndACrashLosesNothingSaved) {
    run("new " + picture + " 16\nsync\nfrobnicate\n", 2);
    const auto failed = run("resume 0\nsync\ndrop 0 999 1 1\n", 1);
    EXPECT_FALSE(only(failed, "log ").empty());
    const auto crashed = run("resume 0\nsync\ndrop 0 2 5000 5000\nsync\ndrop 0 3 6000 6000\nabort\n", 3);
    ASSERT_FALSE(only(crashed, "event saved").empty());
    EXPECT_EQ(only(crashed, "event saved")[0], "event saved 1");
    const auto after = run("resume 0\nsync\ndump\n");
    ASSERT_EQ(only(after, "dump").size(), 1u);
    EXPECT_NE(only(after, "dump")[0].find("{\"part\":2,\"pose\":[5000,5000,"), std::string::npos);
}

TEST_F(ModelSession, AViewMoveOfATrayEmptiedInTheSamePassKeepsTheGameLoadable) {
    // Part 0 to a new tray and back; in that pass a view move of the emptied
    // tray, held back until after the tray was erased.
    auto lines = run("new " + picture + " 4\nsync\nsend-new 0 0\ntick 0.1\nsend 0 1 0\npan 1 10 20 0.5\n"
                     "tick 6\nsync\ndump\nquit\n");
    ASSERT_EQ(only(lines, "dump").size(), 1u);
    const std::string played = only(lines, "dump")[0];
    lines = run("resume 0\nsync\ndump\nquit\n");
    EXPECT_EQ(only(lines, "event puzzle"), std::vector<std::string>{"event puzzleLoaded 4 936"});
    EXPECT_TRUE(only(lines, "log ").empty());
    EXPECT_EQ(only(lines, "dump"), std::vector<std::string>{played});
    // A file written before: the view move was appended after the moves.
    {
        TAVO::ArchiveFile file(folder.file("puzzles.dat"), false, false);
        ASSERT_TRUE(file.hasArchive());
        auto writer = file.archive()->openAppender("puzzle/0/table");
        ASSERT_TRUE(writer);
        const std::uint32_t tag = 2, tray = 1;
        const float pose[3] = {10.0f, 20.0f, 0.5f};
        writer->stream().write(&tag, 4);
        writer->stream().write(&tray, 4);
        writer->stream().write(pose, sizeof pose);
        writer->stream().flush();
    }
    lines = run("resume 0\nsync\ndump\nquit\n");
    EXPECT_EQ(only(lines, "event puzzle"), std::vector<std::string>{"event puzzleLoaded 4 936"});
    const std::string skipped = "log Skipped record 3 of game 0, a view move of tray 1, which no longer exists.";
    EXPECT_EQ(only(lines, "log "), std::vector<std::string>{skipped});
    EXPECT_EQ(only(lines, "dump"), std::vector<std::string>{played});
    const std::string read = python("read " + folder.file("puzzles.dat") + " 0");
    EXPECT_NE(read.find("\"records\": 3"), std::string::npos) << read;
    EXPECT_NE(read.find("\"trayOrder\": [0]"), std::string::npos) << read;
}

TEST_F(ModelSession, ALoadAskedForWhileANewGameIsMadeIsAnswered) {
    run("new " + picture + " 4\nsync\nquit\n");
    const auto lines = run("new " + picture + " 9\nresume 0\nsync\nlist\ndump\nquit\n");
    // The new game first, then game 0, which stays in play.
    EXPECT_EQ(only(lines, "event puzzle"),
              (std::vector<std::string>{"event puzzleLoaded 9 1890", "event puzzleLoaded 4 936"}));
    EXPECT_EQ(only(lines, "games"), std::vector<std::string>{"games 1 0"});
    ASSERT_EQ(only(lines, "dump").size(), 1u);
    EXPECT_EQ(only(lines, "dump")[0].rfind("dump {\"game\":\"0\"", 0), 0u) << only(lines, "dump")[0];
}
