// The game program run as a player runs it: its command line, its
// configuration file, its resources and its ways to end. The tests that open
// the window need an X display and are skipped without one.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/packages/ArchiveFile.h"
#include "support/TempFolder.h"

using KestruneTest::TempFolder;

namespace {

const std::string program = KESTRUNE_BINARY_DIR "/bin/kestrune";
using Clock = std::chrono::steady_clock;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

// The text of a log line after its time stamp "YYYY-MM-DD HH:MM:SS.mmm : ".
std::string entryText(const std::string& line) { return line.size() >= 26 ? line.substr(26) : line; }

bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != 0;
}

// The game started in a folder, its output kept in files there.
class Game {
public:
    Game(const std::string& folder, const std::vector<std::string>& arguments) : folder_(folder) {
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0)
                _exit(100);
            const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const std::string& a : arguments)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(101);
        }
    }
    ~Game() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Waits for the file to appear in the game's folder; false after the time limit.
    bool waitForFile(const std::string& name, double seconds) {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            if (std::filesystem::exists(folder_ + "/" + name))
                return true;
            if (exited())
                return std::filesystem::exists(folder_ + "/" + name);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void signal(int number) { kill(pid_, number); }
    // The exit code, -1 when a signal ended the game, -2 after the time limit.
    int wait(double seconds) {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (!exited() && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!exited_)
            return -2;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    std::string log() const { return readFile(folder_ + "/jigsaw_log.txt"); }
    std::string out() const { return readFile(folder_ + "/stdout.txt"); }
    std::string err() const { return readFile(folder_ + "/stderr.txt"); }

private:
    bool exited() {
        if (!exited_ && waitpid(pid_, &status_, WNOHANG) == pid_)
            exited_ = true;
        return exited_;
    }

    std::string folder_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
};

// Runs the game until it ends by itself; the exit code.
int runToEnd(Game& game) { return game.wait(120.0); }

// Starts the game, waits until it has opened the saved games (the last step
// of start-up), ends it with the signal and returns the exit code.
int startAndSignal(Game& game, int number) {
    if (!game.waitForFile("puzzles.dat", 120.0))
        return -3;
    game.signal(number);
    return game.wait(120.0);
}

void expectStartAndShutdown(const std::string& log) {
    const std::vector<std::string> entries = lines(log);
    ASSERT_GE(entries.size(), 2u) << log;
    EXPECT_EQ(entryText(entries.front()), "Kestrune 20250120 started.") << log;
    EXPECT_EQ(entryText(entries.back()), "Shutdown.") << log;
}

// Copies the built-in resources into the folder with the game itself.
void extractResources(const std::string& folder) {
    TempFolder scratch;
    std::ofstream(scratch.file("c.txt")) << "window_width=wide\n";
    Game game(scratch.path(), {"--extract-resources", folder, "--configuration", "c.txt"});
    ASSERT_EQ(runToEnd(game), 1) << game.log();
    ASSERT_TRUE(std::filesystem::exists(folder + "/assets/icon.png"));
}

} // namespace

TEST(KestruneCommandLine, HelpAndVersionPrintAndEndWithoutALog) {
    TempFolder folder;
    Game help(folder.path(), {"--help"});
    EXPECT_EQ(runToEnd(help), 0);
    const std::string text = help.out();
    for (const char* part : {"Usage: kestrune", "A Kestrune puzzle game.", "--configuration filename",
                             "configuration file", "--extract-resources path", "extract built in resources",
                             "--use-resources path", "use external resources instead of built in resources"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    Game version(folder.path(), {"--version"});
    EXPECT_EQ(runToEnd(version), 0);
    EXPECT_EQ(version.out(), "Kestrune -- 20250120\n");
    EXPECT_FALSE(std::filesystem::exists(folder.file("jigsaw_log.txt")));
}

TEST(KestruneCommandLine, AnUnknownOptionOrAMissingValueEndsWithOne) {
    TempFolder folder;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--colour", "red"}, {"--configuration"}, {"--use-resources"}}) {
        Game game(folder.path(), arguments);
        EXPECT_EQ(runToEnd(game), 1) << arguments[0];
        EXPECT_NE(game.err().find("Usage: kestrune"), std::string::npos) << game.err();
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("jigsaw_log.txt")));
}

TEST(KestruneStartUp, ALogThatCannotBeOpenedIsReportedOnTheErrorStream) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("jigsaw_log.txt"));
    Game game(folder.path(), {});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_NE(game.err().find("TAVO "), std::string::npos) << game.err();
}

TEST(KestruneStartUp, AMalformedConfigurationEndsWithALoggedError) {
    TempFolder folder;
    const std::string text = "window_width=800\nthis is not a setting\n";
    std::ofstream(folder.file("settings.txt")) << text;
    Game game(folder.path(), {"--configuration", "settings.txt"});
    EXPECT_EQ(runToEnd(game), 1);
    const std::string log = game.log();
    EXPECT_NE(log.find("ParameterLoadException"), std::string::npos) << log;
    expectStartAndShutdown(log);
    // The file is the player's: it is not rewritten.
    EXPECT_EQ(readFile(folder.file("settings.txt")), text);
    EXPECT_FALSE(std::filesystem::exists(folder.file("puzzles.dat")));
}

TEST(KestruneStartUp, AWindowWidthThatIsNoNumberEndsWithALoggedError) {
    TempFolder folder;
    std::ofstream(folder.file("settings.txt")) << "window_width=wide\n";
    Game game(folder.path(), {"--configuration", "settings.txt"});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_NE(game.log().find("wide"), std::string::npos) << game.log();
    expectStartAndShutdown(game.log());
}

TEST(KestruneStartUp, ExtractionWritesTheResourcesBeforeTheWindowOpens) {
    TempFolder folder;
    std::ofstream(folder.file("settings.txt")) << "window_height=-1\n";
    Game game(folder.path(), {"--extract-resources", "out/", "--configuration", "settings.txt"});
    EXPECT_EQ(runToEnd(game), 1);
    for (const char* name : {"out/assets/icon.png", "out/assets/digits.dat", "out/shaders/part.vert"})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder.file(name))) << name;
}

TEST(KestruneRun, AMissingConfigurationFileIsWrittenWithTheDefaults) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    Game game(folder.path(), {"--configuration", "my settings.txt"});
    EXPECT_EQ(startAndSignal(game, SIGTERM), 0) << game.log();
    const std::vector<std::string> written = lines(readFile(folder.file("my settings.txt")));
    EXPECT_EQ(written.size(), 17u);
    EXPECT_NE(std::find(written.begin(), written.end(), "window_width=800"), written.end());
    EXPECT_NE(std::find(written.begin(), written.end(), "tray_preview_strength=0.2"), written.end());
}

TEST(KestruneRun, WithoutTheOptionTheConfigurationFileIsNotRead) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    const std::string text = "not a setting at all\n";
    std::ofstream(folder.file("configuration.txt")) << text;
    Game game(folder.path(), {});
    EXPECT_EQ(startAndSignal(game, SIGTERM), 0) << game.log();
    EXPECT_EQ(readFile(folder.file("configuration.txt")), text);
}

TEST(KestruneRun, ExtractedResourcesServeTheGame) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    Game game(folder.path(), {"--extract-resources", "res/", "--use-resources", "res"});
    EXPECT_EQ(startAndSignal(game, SIGTERM), 0) << game.log();
    expectStartAndShutdown(game.log());
}

TEST(KestruneRun, AResourceFolderWithoutAnEntryEndsWithTheEntryNamed) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder resources;
    extractResources(resources.path());
    for (const char* entry : {"assets/icon.png", "shaders/part.vert", "assets/dots.dat"}) {
        const std::string file = resources.path() + "/" + entry;
        const std::string kept = readFile(file);
        std::filesystem::remove(file);
        TempFolder folder;
        Game game(folder.path(), {"--use-resources", resources.path()});
        EXPECT_EQ(runToEnd(game), 1) << entry;
        EXPECT_NE(game.log().find(entry), std::string::npos) << entry << "\n" << game.log();
        expectStartAndShutdown(game.log());
        std::ofstream(file, std::ios::binary) << kept;
    }
    TempFolder folder;
    Game game(folder.path(), {"--use-resources", folder.file("no such folder")});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_NE(game.log().find("assets/icon.png"), std::string::npos) << game.log();
}

TEST(KestruneRun, SavedGamesHeldByAnotherRunningGameAreNamedOnTheErrorStream) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    // The other running game: it holds the saved games while it runs.
    TAVO::ArchiveFile other(folder.file("puzzles.dat"), false, false);
    ASSERT_TRUE(other.hasArchive());
    Game game(folder.path(), {});
    const std::string message =
        "Saves will not be available. The file puzzles.dat is in use by another running Kestrune.";
    // Opening the saved games is the last step of start-up.
    const auto end = Clock::now() + std::chrono::seconds(120);
    while (game.log().find(message) == std::string::npos && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    game.signal(SIGTERM);
    EXPECT_EQ(game.wait(120.0), 0) << game.log();
    EXPECT_NE(game.log().find(message), std::string::npos) << game.log();
    std::size_t said = 0;
    for (const std::string& line : lines(game.err()))
        said += line.find("Saves will not be available.") != std::string::npos ? 1 : 0;
    EXPECT_EQ(said, 1u) << game.err();
    EXPECT_NE(game.err().find(message + "\n"), std::string::npos) << game.err();
    expectStartAndShutdown(game.log());
}
