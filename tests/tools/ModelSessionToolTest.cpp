#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
