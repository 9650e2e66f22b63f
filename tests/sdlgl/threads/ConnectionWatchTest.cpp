// The last resort for a main thread stuck inside SDL on a broken Wayland
// connection: its decision over a series of looks, and its thread, which
// ends the process only when the connection has broken and the main thread
// stays inside one call. The connection and the main thread are stand-ins:
// no compositor is needed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "sdlgl/ConnectionWatch.h"
#include "support/ChildProcess.h"

using TAVO::IK::SDLGL::ConnectionWatch;
using KestruneTest::ChildProcess;
using namespace std::chrono_literals;

namespace {

constexpr auto limit = 2000ms;

// Looks every 100 ms from `from` on, given in runs of (broken, calls,
// looks); the time of the first look that ends the process, -1 for none.
struct Run {
    bool broken;
    std::uint64_t calls;
    int looks;
};
long long firstEnd(std::initializer_list<Run> runs, long long from = 0) {
    ConnectionWatch::Look since;
    long long at = from;
    for (const Run& run : runs)
        for (int i = 0; i < run.looks; ++i, at += 100)
            if (ConnectionWatch::stuck(since, {run.broken, run.calls, std::chrono::milliseconds(at)}, limit))
                return at;
    return -1;
}

} // namespace

TEST(ConnectionWatchDecision, NeverWhileTheConnectionHolds) {
    // The main thread inside one call for a minute: a long wait, say.
    EXPECT_EQ(firstEnd({{false, 7, 600}}), -1);
}

TEST(ConnectionWatchDecision, NeverWhenTheMainThreadComesBackAfterTheBreak) {
    // Back from the call it was in at the break, and into the next, again
    // and again within the limit: the loop goes on to its orderly end.
    EXPECT_EQ(firstEnd({{true, 1, 19}, {true, 3, 19}, {true, 5, 19}, {true, 7, 19}}), -1);
    // Outside SDL for a minute after the break: an orderly end that saves.
    EXPECT_EQ(firstEnd({{true, 1, 5}, {true, 8, 600}}), -1);
}

TEST(ConnectionWatchDecision, EndsWhenTheMainThreadStaysInsideOneCallForTheLimit) {
    // Broken at the first look, inside the same call since.
    EXPECT_EQ(firstEnd({{true, 3, 100}}, 5000), 7000);
    // The time counts from the first look that saw the break, not from the
    // call's start: inside since 5000, broken from 5300.
    EXPECT_EQ(firstEnd({{false, 3, 3}, {true, 3, 100}}, 5000), 7300);
    // Seen broken outside SDL, then stuck in the next call (one that does
    // not look first, as the window's showing): from the look inside it.
    EXPECT_EQ(firstEnd({{true, 4, 2}, {true, 5, 100}}), 2200);
    // A return and a new call just before the limit start the time anew.
    EXPECT_EQ(firstEnd({{true, 1, 20}, {true, 3, 100}}), 4000);
}

namespace {

// A watch with a short limit on stand-ins for 400 ms in a child; what it
// told, if it ended the process.
ChildProcess::Exit watched(bool broken, std::uint64_t calls) {
    return ChildProcess::runToExit(
        [&] {
            std::atomic<std::uint64_t> count = calls;
            {
                ConnectionWatch watch([&] { return std::string(broken ? "the compositor went" : ""); }, count,
                                      [](const std::string& why) { ChildProcess::say("told: " + why + "\n"); },
                                      200ms);
                std::this_thread::sleep_for(400ms);
            }
            ChildProcess::say("still running\n");
            _exit(0);
        },
        10s);
}

} // namespace

TEST(ConnectionWatchThread, EndsAStuckProcessWithExitCodeOneAfterTellingWhy) {
    const ChildProcess::Exit exit = watched(true, 1);
    EXPECT_EQ(exit.code, 1);
    EXPECT_EQ(exit.said, "told: the compositor went\n");
}

TEST(ConnectionWatchThread, LeavesAHealthyOrOrderlyProcessAlone) {
    // Inside SDL on a connection that holds.
    ChildProcess::Exit exit = watched(false, 1);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "still running\n");
    // Outside SDL on a broken one.
    exit = watched(true, 2);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "still running\n");
}
