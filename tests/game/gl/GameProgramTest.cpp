// The game program run in this process, with a player acting between the
// passes of its main loop: every way out of the loop writes the held-back
// tray move, lets the queued saves finish and stops the workers before
// anything is released; the loop rests until what is due next, and no longer.
// (Its end on a Wayland compositor that went away is tested in a program of
// its own, tests/game/wayland: this one makes GLX contexts.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <stdexcept>
#include <thread>

#include "ProgramDrive.h"
#include "foundation/exceptions/WhatException.h"
#include "foundation/threads/Duration.h"
#include "foundation/threads/PerformanceCounter.h"
#include "foundation/threads/Worker.h"
#include "game/FrameClock.h"
#include "game/FramePacer.h"
#include "game/GameProgram.h"
#include "game/View.h"
#include "model/Shelf.h"
#include "model/Table.h"
#include "model/TrayPose.h"
#include "model/Workspace.h"
#include "resources/BuiltInResources.h"
#include "support/gl/GLTest.h"

using namespace ProgramTest;

namespace {

// Moves the first tray's view to the pose; the shelf holds the move back.
void holdBackTrayMove(Workspace& workspace, const TrayPose& pose) {
    Table& table = workspace.table();
    Table::TypedAction& action = table.moveTray(0, pose);
    action.action().apply(table);
    workspace.shelf().setPendingAction(action);
}

// The game, driven between the passes of its loop: a new 12-piece game, then
// a tray view move that the shelf holds back, then the way out under test.
class PlayedProgram : public GameProgram {
public:
    enum class Ending { exception, standardException, signal };

    explicit PlayedProgram(Ending ending)
        : GameProgram(BuiltInResources::data(), BuiltInResources::size()), ending_(ending) {}

    void pass() override {
        GameProgram::pass();
        if (!newGameSaved(*this, started_, passes_))
            return;
        Shelf& shelf = workspace().shelf();
        game_ = shelf.currentGame();
        holdBackTrayMove(workspace(), heldBack);
        switch (ending_) {
        case Ending::exception:
            throw TAVO::WhatException(TAVO::SourceLocation(), "Played into a wall. ");
        case Ending::standardException:
            throw std::runtime_error("played into a wall");
        case Ending::signal:
            std::raise(SIGTERM);
            break;
        }
    }

    const std::string& game() const { return game_; }

private:
    Ending ending_;
    bool started_ = false;
    std::uint32_t passes_ = 0;
    std::string game_;
};

} // namespace

TEST(GameProgram, AnExceptionInTheLoopSavesTheHeldBackMoveAndEndsWithOne) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    for (PlayedProgram::Ending ending : {PlayedProgram::Ending::exception, PlayedProgram::Ending::standardException}) {
        WorkingFolder folder;
        std::string game;
        {
            PlayedProgram program(ending);
            EXPECT_EQ(runProgram(program), 1) << readFile("jigsaw_log.txt");
            game = program.game();
        }
        expectHeldBackMoveSaved(game);
        const std::vector<std::string> entries = logEntries();
        ASSERT_GE(entries.size(), 3u);
        EXPECT_EQ(entries.front(), "Kestrune 20250120 started.");
        EXPECT_EQ(entries.back(), "Shutdown.");
        const std::string all = readFile("jigsaw_log.txt");
        EXPECT_NE(all.find(ending == PlayedProgram::Ending::exception ? "Played into a wall." : "played into a wall"),
                  std::string::npos)
            << all;
        // The exception comes before the shut-down, and nothing failed on the way.
        EXPECT_LT(all.find("into a wall"), all.find("Shutdown."));
        EXPECT_EQ(all.find("Unable to write"), std::string::npos) << all;
        EXPECT_EQ(all.find("Failed to save"), std::string::npos) << all;
    }
}

TEST(GameProgram, ATerminationRequestSavesTheHeldBackMoveAndEndsWithZero) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    WorkingFolder folder;
    std::string game;
    {
        PlayedProgram program(PlayedProgram::Ending::signal);
        EXPECT_EQ(runProgram(program), 0) << readFile("jigsaw_log.txt");
        game = program.game();
    }
    expectHeldBackMoveSaved(game);
    const std::vector<std::string> entries = logEntries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.front(), "Kestrune 20250120 started.");
    EXPECT_EQ(entries.back(), "Shutdown.");
}

namespace {

// A job of the workspace's worker that only notes its completion.
class NoteJob : public TAVO::Worker::Job {
public:
    explicit NoteJob(bool& completed) : completed_(completed) {}
    void run() override {}
    void done() override { completed_ = true; }
    void failed() override { completed_ = true; }

private:
    bool& completed_;
};

// The game with a script acting between the passes of its loop, which
// watches the frames the program draws, the steps the view counts and the
// events that reach SDL's queue.
class WatchedProgram : public GameProgram {
public:
    WatchedProgram() : GameProgram(BuiltInResources::data(), BuiltInResources::size()) {}

    void pass() override {
        if (!events_)
            events_ = std::make_unique<KestruneGLTest::EventCount>();
        framesBefore_ = framesDrawn();
        eventsBefore_ = events_->count();
        GameProgram::pass();
        // A minute of steps.
        if (steps() > 3000)
            throw std::runtime_error("the script did not end");
        act();
    }
    std::uint32_t steps() const { return view().frameTime().steps; }
    // This pass drew a frame, or asks for one.
    bool answered() const { return framesDrawn() > framesBefore_ || view().redrawRequested(); }
    // No event reached the queue during this pass.
    bool quietPass() const { return events_->count() == eventsBefore_; }
    std::uint64_t events() const { return events_->count(); }
    std::uint64_t framesAtPassStart() const { return framesBefore_; }
    // Ends the loop as the window's close does.
    void end() { application().quit(); }

    std::function<void()> act;

private:
    std::uint64_t framesBefore_ = 0;
    std::uint64_t eventsBefore_ = 0;
    std::unique_ptr<KestruneGLTest::EventCount> events_;
};

// A stretch of steps in which no event arrives and no job runs (another
// program's window on the shared display may send events; a stretch they
// break into starts again). It is counted from the first pass that ends
// with no frame owed, after a step (the step after events asks for one).
// Over once that many steps passed; broken when a frame was drawn.
class QuietStretch {
public:
    explicit QuietStretch(std::uint32_t steps) : length_(steps) {}

    // Called after every pass; true once the stretch is over.
    bool over(const WatchedProgram& program) {
        if (!started_ || program.events() != events_ || program.workspace().unfinishedJobs() > 0) {
            started_ = true;
            counting_ = false;
            events_ = program.events();
            steps_ = program.steps();
            return false;
        }
        if (!counting_) {
            if (program.steps() > steps_ && !program.view().redrawRequested()) {
                counting_ = true;
                frames_ = program.framesDrawn();
                steps_ = program.steps();
            }
            return false;
        }
        if (program.framesDrawn() != frames_) {
            drawn_ = true;
            return true;
        }
        return program.steps() >= steps_ + length_;
    }
    bool drawn() const { return drawn_; }

private:
    std::uint32_t length_;
    bool started_ = false;
    bool counting_ = false;
    bool drawn_ = false;
    std::uint64_t events_ = 0, frames_ = 0;
    std::uint32_t steps_ = 0;
};

} // namespace

// Left alone, the loop draws nothing; an event (even one no handler hears)
// and a finished job each ask for a frame in the pass that takes them, and it
// is drawn within the next step; then the loop rests again.
TEST(GameProgram, FramesAreDrawnOnlyWhenThePictureMayHaveChanged) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    WorkingFolder folder;
    WatchedProgram program;
    enum class Phase { settle, quiet, event, eventFrame, job, jobFrame, quietAgain, done };
    Phase phase = Phase::settle;
    QuietStretch quiet(50), quietAgain(50);
    std::uint32_t changedAt = 0;
    std::uint64_t framesAtChange = 0;
    bool completed = false;
    std::vector<std::string> failures;
    auto fail = [&](const std::string& what) {
        failures.push_back(what);
        program.end();
    };
    auto frameFollows = [&](Phase next) {
        if (program.framesDrawn() > framesAtChange)
            phase = next;
        else if (program.steps() > changedAt + 1)
            fail("no frame within a step of the change");
    };
    program.act = [&] {
        switch (phase) {
        case Phase::settle:
            if (program.steps() >= 25 && program.framesDrawn() > 0)
                phase = Phase::quiet;
            break;
        case Phase::quiet:
            if (!quiet.over(program))
                break;
            if (quiet.drawn()) {
                fail("a frame was drawn while nothing changed");
                break;
            }
            {
                SDL_Event event{};
                event.type = SDL_USEREVENT;
                SDL_PushEvent(&event);
            }
            phase = Phase::event;
            break;
        case Phase::event:
            // The pass that took the event.
            if (!program.answered()) {
                fail("an event asked for no frame");
                break;
            }
            changedAt = program.steps();
            framesAtChange = program.framesAtPassStart();
            phase = Phase::eventFrame;
            [[fallthrough]];
        case Phase::eventFrame:
            frameFollows(Phase::job);
            if (phase == Phase::job)
                program.workspace().worker().add(std::make_unique<NoteJob>(completed));
            break;
        case Phase::job:
            if (!completed)
                break;
            if (program.quietPass() && !program.answered()) {
                fail("a finished job asked for no frame");
                break;
            }
            changedAt = program.steps();
            framesAtChange = program.framesAtPassStart();
            phase = Phase::jobFrame;
            [[fallthrough]];
        case Phase::jobFrame:
            frameFollows(Phase::quietAgain);
            break;
        case Phase::quietAgain:
            if (!quietAgain.over(program))
                break;
            if (quietAgain.drawn()) {
                fail("a frame was drawn while nothing changed, after the changes");
                break;
            }
            phase = Phase::done;
            program.end();
            break;
        case Phase::done:
            break;
        }
    };
    EXPECT_EQ(runProgram(program), 0) << readFile("jigsaw_log.txt");
    EXPECT_EQ(phase, Phase::done);
    EXPECT_TRUE(failures.empty()) << failures.front();
}

// The held-back tray move is written 5 s after it was made, at a step: that
// step asks for a frame, for the saved-games list the write may reorder.
TEST(GameProgram, WritingTheHeldBackMoveAsksForAFrame) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    WorkingFolder folder;
    WatchedProgram program;
    bool started = false, moved = false;
    int tries = 0;
    std::uint64_t saves = 0;
    std::string failure = "the move was not written";
    program.act = [&] {
        Workspace& workspace = program.workspace();
        Shelf& shelf = workspace.shelf();
        if (!started) {
            startNewGame(workspace);
            started = true;
            return;
        }
        if (!moved) {
            if (shelf.currentGame().empty() || workspace.puzzle() == nullptr || workspace.unfinishedJobs() > 0)
                return;
            holdBackTrayMove(workspace, TrayPose(TAVO::Vector<2, float>(float(tries), 0.0f), 0.5f));
            saves = shelf.lastSave();
            moved = true;
            return;
        }
        if (shelf.lastSave() == saves)
            return;
        // The pass whose step wrote the move. An event in it would ask for
        // a frame too: then once more.
        if (!program.quietPass() && ++tries < 5) {
            moved = false;
            return;
        }
        failure = program.answered() ? "" : "writing the held-back move asked for no frame";
        program.end();
    };
    EXPECT_EQ(runProgram(program), 0) << readFile("jigsaw_log.txt");
    EXPECT_EQ(failure, "");
}

// A stop signal that arrives while the loop rests, from another thread, ends
// it as a signal always did: the loop never rests longer than one step.
TEST(GameProgram, ASignalEndsALoopThatRests) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    WorkingFolder folder;
    WatchedProgram program;
    std::thread sender;
    QuietStretch quiet(10);
    program.act = [&] {
        if (sender.joinable() || !quiet.over(program))
            return;
        sender = std::thread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            kill(getpid(), SIGTERM);
        });
    };
    EXPECT_EQ(runProgram(program), 0) << readFile("jigsaw_log.txt");
    ASSERT_TRUE(sender.joinable()) << "the loop did not rest";
    sender.join();
    const std::vector<std::string> entries = logEntries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), "Shutdown.");
}

namespace {

// A job of the workspace's worker that runs until it is let go.
class HeldJob : public TAVO::Worker::Job {
public:
    HeldJob(std::atomic<bool>& go, bool& completed) : go_(go), completed_(completed) {}
    void run() override {
        while (!go_.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void done() override { completed_ = true; }
    void failed() override { completed_ = true; }

private:
    std::atomic<bool>& go_;
    bool& completed_;
};

// The watched game on a clock of the test's own: the counter stands still
// through each pass and moves on by exactly what each rest waits, so that
// every wake-up can be held against the step or frame it was for. Nothing
// sleeps; SDL's queue is still looked at on every pass.
class ClockedProgram : public WatchedProgram {
public:
    static long long ticks(unsigned int milliseconds) {
        return TAVO::PerformanceCounter::toTicks(TAVO::Duration(milliseconds));
    }

    void pass() override {
        if (++passes_ > 200000)
            throw std::runtime_error("the loop went round without resting");
        WatchedProgram::pass();
    }

    // Called with the reading a rest starts at and the milliseconds it waits.
    std::function<void(long long, std::uint32_t)> rested;
    // The first reading; the clock moves on from there.
    static inline const long long origin = ticks(1000000) + ticks(1) / 3;
    long long now = origin;

protected:
    std::uint64_t passes_ = 0;

    TAVO::PerformanceCounter reading() const override { return TAVO::PerformanceCounter(now); }
    void waitForEvent(std::uint32_t milliseconds) override {
        const long long start = now;
        now += ticks(milliseconds);
        if (rested)
            rested(start, milliseconds);
    }
};

} // namespace

// Every rest of the loop ends at the next step or owed frame, within the
// millisecond its wait is rounded up to, and never past it: the steps run
// on time, frames asked for on every pass come one refresh apart on a
// steady grid, a resting loop wakes for nothing sooner than its step, a job
// on its way is looked for every millisecond, and a counter that went back
// still has the loop wake every step (a stop signal is seen within one).
TEST(GameProgram, EveryRestEndsAtTheNextStepOrFrameAndNoLater) {
    if (!KestruneGLTest::GLTest::haveDisplay())
        GTEST_SKIP() << KestruneGLTest::GLTest::noDisplay;
    WorkingFolder folder;
    ClockedProgram program;
    const long long ms = ClockedProgram::ticks(1);
    const long long step = ClockedProgram::ticks(FrameClock::stepMilliseconds);
    const long long second = ClockedProgram::ticks(1000);
    enum class Phase { settle, warm, pause, drag, job, afterJob, back, done };
    Phase phase = Phase::settle;
    std::vector<std::string> failures;
    std::atomic<bool> go{false};
    auto fail = [&](const std::string& what) {
        if (failures.empty())
            program.end();
        failures.push_back(what);
        // The shut-down waits for the worker.
        go = true;
    };
    long long interval = 0, lastFrame = 0, askedAt = 0;
    std::uint64_t frames = 0;
    std::uint32_t mark = 0, jobRests = 0, quietRests = 0, backRests = 0;
    std::vector<long long> drag;
    bool completed = false, asked = false;

    program.rested = [&](long long start, std::uint32_t milliseconds) {
        const long long end = start + milliseconds * ms;
        if (milliseconds == 0 || milliseconds > FrameClock::stepMilliseconds)
            fail("a rest of " + std::to_string(milliseconds) + " ms");
        if (phase == Phase::back) {
            ++backRests;
            return;
        }
        const long long nextStep = ClockedProgram::origin + (program.steps() + 1) * step;
        if (end >= nextStep + ms)
            fail("a rest went past the step due");
        const bool jobs = program.workspace().unfinishedJobs() > 0;
        if (phase == Phase::job && !completed) {
            ++jobRests;
            if (milliseconds > 1)
                fail("a job on its way was left for " + std::to_string(milliseconds) + " ms");
        } else if (!jobs && !program.view().redrawRequested()) {
            // Nothing owed but the step.
            ++quietRests;
            if (end < nextStep)
                fail("a quiet loop woke before its step");
        } else if (!jobs && phase == Phase::drag && !drag.empty()) {
            const long long nextFrame = drag.front() + (long long)(drag.size()) * interval;
            if (end < std::min(nextStep, nextFrame))
                fail("a rest ended before the step or frame it was for");
        }
    };
    program.act = [&] {
        if (phase != Phase::back && phase != Phase::done &&
            program.steps() != std::uint32_t((program.now - ClockedProgram::origin) / step))
            fail("the steps due did not run, or ran early");
        const bool drew = program.framesDrawn() > program.framesAtPassStart();
        if (drew)
            lastFrame = program.now;
        switch (phase) {
        case Phase::settle:
            if (program.steps() < 10 || program.workspace().unfinishedJobs() > 0)
                break;
            {
                const int rate = program.application().refreshRate();
                interval = second / (rate > 0 ? rate : 60);
            }
            frames = program.framesDrawn();
            phase = Phase::warm;
            [[fallthrough]];
        case Phase::warm:
            // Frames drawn back to back until the swaps are judged.
            if (program.framesDrawn() < frames + 2 * FramePacer::watchedFrames) {
                program.view().requestRedraw();
                break;
            }
            mark = program.steps();
            phase = Phase::pause;
            break;
        case Phase::pause:
            // Two refreshes and more since the last frame: the pacer's grid
            // starts again at the next.
            if (program.steps() < mark + 5 || program.view().redrawRequested() ||
                program.now < lastFrame + 2 * interval)
                break;
            phase = Phase::drag;
            program.view().requestRedraw();
            askedAt = program.now;
            break;
        case Phase::drag:
            // A frame asked for on every pass, as a drag does.
            if (drew && drag.empty() && program.now != askedAt)
                fail("the first frame after a pause was not drawn at once");
            if (drew)
                drag.push_back(program.now);
            if (drag.size() < 60) {
                program.view().requestRedraw();
                break;
            }
            for (std::size_t k = 1; k < drag.size(); ++k) {
                const long long grid = drag.front() + (long long)(k) * interval;
                if (drag[k] < grid)
                    fail("frame " + std::to_string(k) + " came before its refresh");
                else if (drag[k] >= grid + ms)
                    fail("frame " + std::to_string(k) + " came a millisecond or more late");
            }
            program.workspace().worker().add(std::make_unique<HeldJob>(go, completed));
            phase = Phase::job;
            break;
        case Phase::job:
            if (jobRests >= 30)
                go = true;
            if (!completed)
                break;
            quietRests = 0;
            phase = Phase::afterJob;
            break;
        case Phase::afterJob:
            // Once the job is in, the loop rests until its steps again.
            if (quietRests < 10)
                break;
            program.now -= 10 * second;
            phase = Phase::back;
            break;
        case Phase::back:
            // Far before the clock's next step and the pacer's next frame:
            // the pacer holds no frame back for that.
            if (asked && !drew)
                fail("a frame asked for after the counter went back was held back");
            asked = false;
            if (backRests == 5) {
                program.view().requestRedraw();
                asked = true;
            }
            if (backRests >= 20) {
                phase = Phase::done;
                program.end();
            }
            break;
        case Phase::done:
            break;
        }
    };
    EXPECT_EQ(runProgram(program), 0) << readFile("jigsaw_log.txt");
    EXPECT_EQ(phase, Phase::done);
    EXPECT_TRUE(failures.empty()) << failures.front() << " (" << failures.size() << " failures)";
}
