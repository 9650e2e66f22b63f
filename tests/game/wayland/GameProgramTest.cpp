// The game on a Wayland compositor that goes away, in a child: a main thread
// stuck inside SDL is ended by the window's watch only once what was queued
// by then on the worker that writes the saved games has run, or once its
// bound has passed, timed from the lost display's line. The tests need a
// process that has made no GLX context (in a child of one, GLEW's start on
// the EGL context finds no OpenGL version): they have this program to
// themselves.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "foundation/threads/Worker.h"
#include "game/GameProgram.h"
#include "game/gl/ProgramDrive.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"
#include "sdlgl/ConnectionWatch.h"
#include "support/ChildProcess.h"
#include "support/PollUntil.h"
#include "support/gl/BrokenConnection.h"
#include "support/gl/Compositor.h"
#include "support/gl/GLTest.h"

using namespace ProgramTest;
using KestruneGLTest::Compositor;
using KestruneTest::ChildProcess;

namespace {

// A save on a slow disk, as a job of the workspace's worker: it writes
// "begun" into its file and, once the game has told its lost display (the
// watch has decided), takes a while longer before it writes "whole"; an
// endless one never gets that far.
class SlowSave : public TAVO::Worker::Job {
public:
    explicit SlowSave(bool endless) : endless_(endless) {}
    void run() override {
        std::ofstream("slow-save.txt", std::ios::app) << "begun\n";
        while (endless_)
            std::this_thread::sleep_for(std::chrono::hours(1));
        KestruneTest::waitUntil([] { return readFile("jigsaw_log.txt").find(" lost its display: ") != std::string::npos; });
        std::this_thread::sleep_for(TAVO::IK::SDLGL::ConnectionWatch::interval * 5);
        std::ofstream("slow-save.txt", std::ios::app) << "whole\n";
    }
    void done() override {}
    void failed() override {}

private:
    bool endless_;
};

// The game on the compositor: a new 12-piece game; once its first saves are
// in the file, a slow save and behind it a tray move saved as it is made;
// then its connection breaks inside SDL's pump, which never comes back. It
// says the game's id.
class StuckProgram : public GameProgram {
public:
    explicit StuckProgram(bool endless)
        : GameProgram(BuiltInResources::data(), BuiltInResources::size()), endless_(endless) {}

    void pass() override {
        GameProgram::pass();
        if (connection_ || !newGameSaved(*this, started_, passes_))
            return;
        Shelf& shelf = workspace().shelf();
        ChildProcess::say("game " + shelf.currentGame() + "\n");
        workspace().worker().add(std::make_unique<SlowSave>(endless_));
        Table& table = workspace().table();
        Table::TypedAction& action = table.moveTray(0, heldBack);
        action.action().apply(table);
        shelf.saveAction(action);
        wl_display* display = nullptr;
        wl_surface* surface = nullptr;
        if (!KestruneGLTest::BrokenConnection::onWayland(application(), display, surface))
            throw std::runtime_error("not on Wayland");
        connection_ = std::make_unique<KestruneGLTest::BrokenConnection>(display);
        connection_->breakInsideSDL(true);
    }

private:
    bool endless_;
    bool started_ = false;
    std::uint32_t passes_ = 0;
    std::unique_ptr<KestruneGLTest::BrokenConnection> connection_;
};

// The stuck game's standard error: it says, once, the moment on the steady
// clock (which every process shares) at which the lost display's line
// reached it. The watch's end writes that line before it waits.
class LostLineMoment : public std::stringbuf {
public:
    static constexpr const char* prefix = "lost display told at ";

protected:
    int sync() override {
        if (!told_ && str().find(" lost its display: ") != std::string::npos) {
            told_ = true;
            ChildProcess::say(prefix + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                              "\n");
        }
        return 0;
    }

private:
    bool told_ = false;
};

// The stuck game's run in a child on a compositor of its own, in the working
// folder: the game's id from what it said, how it ended, and the time from
// the lost display's line to the end (seen by this process, which looks at
// the child every 10 ms); zero when the line never came.
struct StuckEnd {
    std::string game;
    ChildProcess::Exit exit;
    std::chrono::steady_clock::duration lostToEnd{0};
};

StuckEnd stuckEnd(bool endless) {
    Compositor compositor;
    EXPECT_TRUE(compositor.listening()) << "weston did not open its socket";
    StuckEnd end;
    end.exit = ChildProcess::runToExit(
        [&] {
            compositor.clientEnvironment();
            LostLineMoment moment;
            std::ostream err(&moment);
            StuckProgram program(endless);
            runProgram(program, err);
            ChildProcess::say("the game ended by itself\n");
            _exit(2);
        },
        std::chrono::seconds(120));
    const auto ended = std::chrono::steady_clock::now();
    std::string& said = end.exit.said;
    if (said.rfind("game ", 0) == 0)
        end.game = said.substr(5, said.find('\n') - 5);
    const std::size_t told = said.find(LostLineMoment::prefix);
    if (told != std::string::npos) {
        const std::size_t line = said.find('\n', told);
        const std::size_t from = told + std::strlen(LostLineMoment::prefix);
        const std::string count = said.substr(from, line == std::string::npos ? line : line - from);
        end.lostToEnd = ended - std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(
                                    std::stoll(count)));
        said.erase(told, line == std::string::npos ? line : line + 1 - told);
    }
    return end;
}

const std::string lostLine = "Kestrune lost its display: the connection to the Wayland compositor (WAYLAND_DISPLAY "
                             "\"kestrune-broken\") broke: ";

} // namespace

// The watch decides while a save takes longer than its limit, with another
// save queued behind it: both are in the file, whole, when the process ends.
TEST(GameProgram, TheWatchsEndWaitsForTheSavesQueuedWhenItDecided) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    const std::string unfit = Compositor::whyClientsCannotStart();
    ASSERT_TRUE(unfit.empty()) << unfit;
    WorkingFolder folder;
    const StuckEnd end = stuckEnd(false);
    EXPECT_EQ(end.exit.code, 1);
    EXPECT_EQ(end.exit.said, "game " + end.game + "\nlooping\n");
    EXPECT_EQ(readFile("slow-save.txt"), "begun\nwhole\n");
    expectHeldBackMoveSaved(end.game);
    const std::vector<std::string> entries = logEntries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().rfind(lostLine, 0), 0u) << readFile("jigsaw_log.txt");
}

// A save that never ends keeps the process for the bound and no longer, on
// the clock from the lost display's line to the process's end, and the log
// says so. The margin holds on a busy machine: past the bound there is one
// line to write.
TEST(GameProgram, TheWatchsEndWaitsNoLongerThanItsBound) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    const std::string unfit = Compositor::whyClientsCannotStart();
    ASSERT_TRUE(unfit.empty()) << unfit;
    WorkingFolder folder;
    const StuckEnd end = stuckEnd(true);
    EXPECT_EQ(end.exit.code, 1);
    EXPECT_EQ(end.exit.said, "game " + end.game + "\nlooping\n");
    EXPECT_EQ(readFile("slow-save.txt"), "begun\n");
    const std::vector<std::string> entries = logEntries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2].rfind(lostLine, 0), 0u) << readFile("jigsaw_log.txt");
    EXPECT_EQ(entries.back(), "The saves under way were not all written within 15 s; Kestrune ends without them.");
    const auto margin = std::chrono::seconds(5);
    const long long waited = std::chrono::duration_cast<std::chrono::milliseconds>(end.lostToEnd).count();
    EXPECT_GE(waited, GameProgram::savesBound.count()) << "ms from the lost display's line to the end";
    EXPECT_LE(waited, (GameProgram::savesBound + margin).count()) << "ms from the lost display's line to the end";
}
