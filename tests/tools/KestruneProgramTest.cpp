// The game program run as a player runs it: its command line, its
// configuration file, its resources and its ways to end. The tests that open
// the window need an X display and are skipped without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/packages/ArchiveFile.h"
#include "support/TempFolder.h"
#include "support/UnprivilegedChild.h"

using KestruneTest::TempFolder;
using KestruneTest::UnprivilegedChild;

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

// The path as the game names it: absolute, as the system sees the folders.
std::string inFull(const std::string& path) {
    const std::filesystem::path whole(path);
    return (std::filesystem::canonical(whole.parent_path()) / whole.filename()).string();
}

// The text of a log line after its time stamp "YYYY-MM-DD HH:MM:SS.mmm : ".
std::string entryText(const std::string& line) { return line.size() >= 26 ? line.substr(26) : line; }

bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != 0;
}

// Environment variables of the game's own: a value, or none to unset it.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

// The game started in a folder, its output kept in files there (or in
// another folder, for a folder that cannot be written), with the test's
// environment changed as given.
class Game {
public:
    Game(const std::string& folder, const std::vector<std::string>& arguments, const std::string& outputs = "",
         const Environment& environment = {})
        : folder_(folder), outputs_(outputs.empty() ? folder : outputs) {
        const std::string outPath = outputs_ + "/stdout.txt", errPath = outputs_ + "/stderr.txt";
        pid_ = fork();
        if (pid_ == 0) {
            for (const auto& [name, value] : environment) {
                if (value)
                    setenv(name.c_str(), value->c_str(), 1);
                else
                    unsetenv(name.c_str());
            }
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (chdir(folder.c_str()) != 0)
                _exit(100);
            // In the sanitizer build the leak checker would add its report of
            // the suppressions used to the game's standard error.
            const char* leakOptions = std::getenv("LSAN_OPTIONS");
            const std::string options =
                std::string(leakOptions != nullptr ? leakOptions : "") + ":print_suppressions=0";
            setenv("LSAN_OPTIONS", options.c_str(), 1);
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
    std::string out() const { return readFile(outputs_ + "/stdout.txt"); }
    std::string err() const { return readFile(outputs_ + "/stderr.txt"); }

private:
    bool exited() {
        if (!exited_ && waitpid(pid_, &status_, WNOHANG) == pid_)
            exited_ = true;
        return exited_;
    }

    std::string folder_;
    std::string outputs_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
};

// Runs the game until it ends by itself; the exit code.
int runToEnd(Game& game) { return game.wait(120.0); }

// Starts the game, waits until it has opened the saved games (before its
// window), ends it with the signal and returns the exit code.
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

TEST(KestruneStartUp, ALogThatCannotBeOpenedIsNamedWithTheSystemsReason) {
    // A folder where the log should be, and a log whose path goes through a
    // regular file: refused also for a user who may write anywhere. The log
    // is named in full, wherever the game was started from.
    TempFolder folder;
    std::filesystem::create_directory(folder.file("jigsaw_log.txt"));
    Game game(folder.path(), {});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_EQ(game.err(), "Kestrune could not start: " + inFull(folder.file("jigsaw_log.txt")) +
                              ": Unable to open the log for writing: Is a directory.\n");
    TempFolder linked;
    std::ofstream(linked.file("plain")) << "a file";
    std::filesystem::create_symlink("plain/jigsaw_log.txt", linked.file("jigsaw_log.txt"));
    Game through(linked.path(), {});
    EXPECT_EQ(runToEnd(through), 1);
    EXPECT_EQ(through.err(), "Kestrune could not start: " + inFull(linked.file("jigsaw_log.txt")) +
                                 ": Unable to open the log for writing: Not a directory.\n");
    EXPECT_FALSE(std::filesystem::exists(linked.file("puzzles.dat")));
}

TEST(KestruneStartUp, APlayFolderWithoutWritePermissionIsToldOnTheErrorStream) {
    // The play folder's name holds a tab, which the message shows as "\t".
    TempFolder base, outputs;
    const std::string play = base.file("my\tgames");
    std::filesystem::create_directory(play);
    // Root writes into any folder: the game is started by a child that is not.
    UnprivilegedChild::lend(base.path());
    UnprivilegedChild::lend(outputs.path());
    ASSERT_EQ(chmod(play.c_str(), 0500), 0);
    const std::string seen = UnprivilegedChild::run([&] {
        Game game(play, {}, outputs.path());
        const int code = runToEnd(game);
        return std::to_string(code) + " " + game.err();
    });
    chmod(play.c_str(), 0700);
    EXPECT_EQ(seen, "1 Kestrune could not start: " + inFull(base.path()) +
                        "/my\\tgames/jigsaw_log.txt: Unable to open the log for writing: Permission denied.\n");
    EXPECT_TRUE(std::filesystem::is_empty(play));
}

TEST(KestruneStartUp, AMalformedConfigurationEndsWithALoggedErrorAndOneLineNamingIt) {
    TempFolder folder;
    const std::string text = "window_width=800\nthis is not a setting\n";
    std::ofstream(folder.file("settings.txt")) << text;
    Game game(folder.path(), {"--configuration", "settings.txt"});
    EXPECT_EQ(runToEnd(game), 1);
    const std::string log = game.log();
    EXPECT_NE(log.find(" : context: settings.txt, line 2> TAVO TAVO::ParameterLoadException: this is not a setting "
                       "is not a valid parameter statement. \n"),
              std::string::npos)
        << log;
    expectStartAndShutdown(log);
    EXPECT_EQ(game.err(), "Kestrune could not start: settings.txt, line 2: this is not a setting is not a valid "
                          "parameter statement.\n");
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

TEST(KestruneStartUp, EveryBadValueIsRefusedBeforeTheWindowWithOneLineNamingFileAndLine) {
    const std::string side = " is not a whole number from 0 to 16384.";
    const std::string number = " is not a number from -3.40282e+38 to 3.40282e+38.";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"window_width=999999999999", "window_width=999999999999" + side},
        {"window_height=-600", "window_height=-600" + side},
        {"tray_green=abc", "tray_green=abc" + number},
        {"tray_red=NaN", "tray_red=NaN" + number},
        {"tray_blue=1e309", "tray_blue=1e309" + number},
        {"tray_pattern_size=0", "tray_pattern_size=0 is not a whole number from 1 to 16384."},
        // Bytes that are no text are escaped on the error stream and in the log.
        {"window_width=80\x07", "window_width=80\\x07" + side},
    };
    for (const auto& [line, problem] : cases) {
        TempFolder folder;
        std::ofstream(folder.file("my settings.txt")) << "# mine\r\nmaximized=false\n\n" << line << "\n";
        Game game(folder.path(), {"--configuration", "my settings.txt"});
        EXPECT_EQ(runToEnd(game), 1) << line;
        EXPECT_EQ(game.err(), "Kestrune could not start: my settings.txt, line 4: " + problem + "\n");
        const std::string log = game.log();
        expectStartAndShutdown(log);
        EXPECT_NE(log.find(" : context: my settings.txt, line 4> TAVO TAVO::UnexpectedValueException: " + problem),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find('\x07'), std::string::npos) << log;
        // Refused before anything else started: no saved games were opened.
        EXPECT_FALSE(std::filesystem::exists(folder.file("puzzles.dat")));
    }
}

TEST(KestruneStartUp, ExtractionWritesTheResourcesBeforeTheWindowOpens) {
    TempFolder folder;
    std::ofstream(folder.file("settings.txt")) << "window_height=-1\n";
    Game game(folder.path(), {"--extract-resources", "out/", "--configuration", "settings.txt"});
    EXPECT_EQ(runToEnd(game), 1);
    for (const char* name : {"out/assets/icon.png", "out/assets/digits.dat", "out/shaders/part.vert"})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder.file(name))) << name;
}

TEST(KestruneStartUp, AnExtractionThatFailsNamesTheFolderAndTheEntry) {
    TempFolder folder;
    // A folder where the icon should be written.
    std::filesystem::create_directories(folder.file("out/assets/icon.png"));
    Game game(folder.path(), {"--extract-resources", "out/"});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_EQ(game.err(), "Kestrune could not start: out: Could not open entry \"assets/icon.png\" for writing.\n");
    EXPECT_NE(game.log().find(" : context: out> TAVO TAVO::StreamException: Could not open entry"), std::string::npos)
        << game.log();
    expectStartAndShutdown(game.log());
}

TEST(KestruneStartUp, AWindowThatCannotOpenIsToldOnTheErrorStream) {
    // No display to open the window on: a failure that concerns no file.
    const char* display = std::getenv("DISPLAY");
    const std::string kept = display != nullptr ? display : "";
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const std::string keptDriver = driver != nullptr ? driver : "";
    unsetenv("DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    TempFolder folder;
    Game game(folder.path(), {});
    const int code = runToEnd(game);
    if (display != nullptr)
        setenv("DISPLAY", kept.c_str(), 1);
    if (driver != nullptr)
        setenv("SDL_VIDEODRIVER", keptDriver.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(code, 1);
    const std::vector<std::string> err = lines(game.err());
    ASSERT_EQ(err.size(), 1u) << game.err();
    EXPECT_EQ(err[0].rfind("Kestrune could not start: SDL error", 0), 0u) << err[0];
    expectStartAndShutdown(game.log());
}

// DISPLAY names an X server that does not answer, and there is no Wayland
// socket: SDL, asked for no driver, falls back to its offscreen one, whose
// window nobody sees. The start ends as every failed start does, naming both
// displays as they were given.
TEST(KestruneStartUp, ADisplayThatCannotBeOpenedIsNamedOnTheErrorStream) {
    int number = 9876;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string display = ":" + std::to_string(number);
    TempFolder runtime; // holds no Wayland socket
    const std::pair<Environment, std::string> cases[] = {
        {{{"DISPLAY", display}, {"WAYLAND_DISPLAY", std::nullopt}},
         "DISPLAY \"" + display + "\", WAYLAND_DISPLAY not set"},
        // The values as they are, made printable.
        {{{"DISPLAY", display + "\x1b[2J"}, {"WAYLAND_DISPLAY", "wayland-\t9"}},
         "DISPLAY \"" + display + "\\x1b[2J\", WAYLAND_DISPLAY \"wayland-\\t9\""},
    };
    for (const auto& [environment, named] : cases) {
        Environment all = environment;
        all.emplace_back("SDL_VIDEODRIVER", std::nullopt);
        all.emplace_back("XDG_RUNTIME_DIR", runtime.path());
        TempFolder folder;
        Game game(folder.path(), {}, "", all);
        EXPECT_EQ(runToEnd(game), 1) << named;
        EXPECT_EQ(game.err(), "Kestrune could not start: SDL error - No display could be opened (" + named +
                                  "): SDL fell back to its offscreen video driver, which shows no window\n");
        expectStartAndShutdown(game.log());
    }
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
        const std::vector<std::string> err = lines(game.err());
        ASSERT_EQ(err.size(), 1u) << game.err();
        EXPECT_EQ(err[0].rfind("Kestrune could not start: ", 0), 0u) << err[0];
        EXPECT_NE(err[0].find(entry), std::string::npos) << err[0];
        std::ofstream(file, std::ios::binary) << kept;
    }
    TempFolder folder;
    Game game(folder.path(), {"--use-resources", folder.file("no such folder")});
    EXPECT_EQ(runToEnd(game), 1);
    EXPECT_NE(game.log().find("assets/icon.png"), std::string::npos) << game.log();
    EXPECT_EQ(game.err(), "Kestrune could not start: " + folder.file("no such folder") +
                              "/assets/icon.png: Could not find assets/icon.png in the resource package.\n");
}

TEST(KestruneRun, DamagedResourcesAreNamedOnTheErrorStream) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder resources;
    extractResources(resources.path());
    const std::string icon = resources.path() + "/assets/icon.png";
    const std::string shader = resources.path() + "/shaders/part.frag";
    const std::string keptIcon = readFile(icon), keptShader = readFile(shader);
    // The icon cut short, then a shader that does not compile.
    std::ofstream(icon, std::ios::binary | std::ios::trunc) << keptIcon.substr(0, 100);
    {
        TempFolder folder;
        Game game(folder.path(), {"--use-resources", resources.path()});
        EXPECT_EQ(runToEnd(game), 1);
        EXPECT_EQ(game.err().rfind("Kestrune could not start: " + icon + ": ", 0), 0u) << game.err();
        EXPECT_EQ(lines(game.err()).size(), 1u) << game.err();
        EXPECT_NE(game.log().find(" : context: " + icon + "> TAVO "), std::string::npos) << game.log();
    }
    std::ofstream(icon, std::ios::binary | std::ios::trunc) << keptIcon;
    std::ofstream(shader, std::ios::binary | std::ios::trunc) << "not \x07 glsl\n";
    {
        TempFolder folder;
        Game game(folder.path(), {"--use-resources", resources.path()});
        EXPECT_EQ(runToEnd(game), 1);
        const std::string err = game.err();
        EXPECT_EQ(lines(err).size(), 1u) << err;
        EXPECT_NE(err.find("Shader error: compilation of shaders/part_base.frag.inc, shaders/part.frag("),
                  std::string::npos)
            << err;
        // The driver's log is several lines: each place shows it as one.
        for (const std::string& text : {err, game.log()}) {
            EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
        }
        std::vector<std::string> logLines = lines(game.log());
        EXPECT_TRUE(std::any_of(logLines.begin(), logLines.end(), [](const std::string& line) {
            return line.find("ShaderBuildException") != std::string::npos && line.find("\\n") != std::string::npos;
        })) << game.log();
    }
}

TEST(KestruneRun, AConfigurationThatCannotBeWrittenIsToldAndTheDefaultsApply) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    std::ofstream(folder.file("plain")) << "a file, not a folder";
    Game game(folder.path(), {"--configuration", "plain/settings.txt"});
    EXPECT_EQ(startAndSignal(game, SIGTERM), 0) << game.log();
    const std::string told =
        "Unable to write the configuration file plain/settings.txt: Not a directory. The defaults are used.";
    EXPECT_EQ(game.err(), "Kestrune: " + told + "\n");
    EXPECT_NE(game.log().find(" : " + told + "\n"), std::string::npos) << game.log();
    expectStartAndShutdown(game.log());
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

TEST(KestruneRun, SavedGamesDamagedBeyondRepairAreNamedInOneLineAndCopiedOnce) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    TempFolder folder;
    std::ofstream(folder.file("puzzles.dat"), std::ios::binary) << "not saved games";
    // The repair's compacted file cannot be made.
    std::filesystem::create_directory(folder.file("puzzles.dat.tmp"));
    const std::string message = "Saves will not be available. The file puzzles.dat is damaged and could not be "
                                "repaired (Unable to create temporary file for compactation: puzzles.dat.tmp). "
                                "The damaged file was copied to puzzles.dat.damaged.";
    for (int run = 0; run < 2; ++run) {
        std::filesystem::remove(folder.file("stderr.txt"));
        Game game(folder.path(), {});
        // Told once start-up is over.
        const auto end = Clock::now() + std::chrono::seconds(120);
        while (game.err().find(message) == std::string::npos && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        game.signal(SIGTERM);
        EXPECT_EQ(game.wait(120.0), 0) << game.log();
        EXPECT_EQ(game.err(), message + "\n") << run;
    }
    EXPECT_EQ(readFile(folder.file("puzzles.dat.damaged")), "not saved games");
    EXPECT_FALSE(std::filesystem::exists(folder.file("puzzles.dat.damaged.1")));
}
