// The last resort for a main thread stuck inside SDL on a broken Wayland
// connection: its decision over a series of looks, and its thread, which
// ends the process only when the connection has broken and the main thread
// stays inside one call. The connection and the main thread are stand-ins:
// no compositor is needed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "sdlgl/ConnectionWatch.h"
#include "support/ChildProcess.h"

using TAVO::IK::SDLGL::ConnectionWatch;
using KestruneTest::ChildProcess;

namespace {

constexpr auto limit = ConnectionWatch::limit;
constexpr long long every = ConnectionWatch::interval.count();
// Looks that stay within the limit, the first and the last included.
constexpr int within = int(limit.count() / every);

// Looks every interval from `from` on, given in runs of (broken, calls,
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
        for (int i = 0; i < run.looks; ++i, at += every)
            if (ConnectionWatch::stuck(since, {run.broken, run.calls, std::chrono::milliseconds(at)}, limit))
                return at;
    return -1;
}

} // namespace

TEST(ConnectionWatchDecision, NeverWhileTheConnectionHolds) {
    // The main thread inside one call for a minute: a long wait, say.
    EXPECT_EQ(firstEnd({{false, 7, int(60000 / every)}}), -1);
}

TEST(ConnectionWatchDecision, NeverWhenTheMainThreadComesBackAfterTheBreak) {
    // Back from the call it was in at the break, and into the next, again
    // and again within the limit: the loop goes on to its orderly end.
    EXPECT_EQ(firstEnd({{true, 1, within - 1}, {true, 3, within - 1}, {true, 5, within - 1}, {true, 7, within - 1}}),
              -1);
    // Outside SDL for a minute after the break: an orderly end that saves.
    EXPECT_EQ(firstEnd({{true, 1, 5}, {true, 8, int(60000 / every)}}), -1);
}

TEST(ConnectionWatchDecision, EndsWhenTheMainThreadStaysInsideOneCallForTheLimit) {
    const long long l = limit.count();
    const int ample = 2 * within + 10;
    // Broken at the first look, inside the same call since.
    EXPECT_EQ(firstEnd({{true, 3, ample}}, 5000), 5000 + l);
    // The time counts from the first look that saw the break, not from the
    // call's start: inside since 5000, broken from three looks later.
    EXPECT_EQ(firstEnd({{false, 3, 3}, {true, 3, ample}}, 5000), 5000 + 3 * every + l);
    // Seen broken outside SDL, then stuck in the next call (one that does
    // not look first, as the window's showing): from the look inside it.
    EXPECT_EQ(firstEnd({{true, 4, 2}, {true, 5, ample}}), 2 * every + l);
    // A return and a new call just before the limit start the time anew.
    EXPECT_EQ(firstEnd({{true, 1, within}, {true, 3, ample}}), within * every + l);
}

namespace {

constexpr auto shortLimit = std::chrono::milliseconds(200);

// A watch with a short limit on stand-ins in a child: the connection asked
// (which may also move the count, as a main thread that comes back while the
// connection is asked), the count, and the child's main thread, which goes
// on until the watch ends the process or, when `stays`, for several limits.
// What was told, if the watch ended the process.
ChildProcess::Exit watched(const std::function<std::string(std::atomic<std::uint64_t>&)>& lost, std::uint64_t calls,
                           std::chrono::milliseconds limit, bool stays) {
    return ChildProcess::runToExit([&] {
        std::atomic<std::uint64_t> count = calls;
        {
            ConnectionWatch watch([&] { return lost(count); }, count,
                                  [](const std::string& why) { ChildProcess::say("told: " + why + "\n"); }, limit);
            if (!stays)
                for (;;)
                    pause();
            std::this_thread::sleep_for(std::max(limit, ConnectionWatch::interval) * 5);
        }
        ChildProcess::say("still running\n");
        _exit(0);
    });
}

std::string gone(std::atomic<std::uint64_t>&) { return "the compositor went"; }
std::string holds(std::atomic<std::uint64_t>&) { return ""; }

} // namespace

// The child stays stuck until the watch ends it; the test's deadline bounds
// the wait.
TEST(ConnectionWatchThread, EndsAStuckProcessWithExitCodeOneAfterTellingWhy) {
    const ChildProcess::Exit exit = watched(gone, 1, shortLimit, false);
    EXPECT_EQ(exit.code, 1);
    EXPECT_EQ(exit.said, "told: the compositor went\n");
}

TEST(ConnectionWatchThread, LeavesAHealthyOrOrderlyProcessAlone) {
    // Inside SDL on a connection that holds.
    ChildProcess::Exit exit = watched(holds, 1, shortLimit, true);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "still running\n");
    // Outside SDL on a broken one.
    exit = watched(gone, 2, shortLimit, true);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "still running\n");
}

// The main thread comes back from SDL while the watch asks the connection,
// at the look that would otherwise end the process (any look, with no
// limit): the count has moved, and the process goes on to its own end.
TEST(ConnectionWatchThread, LeavesAMainThreadThatCameBackDuringTheLook) {
    const auto comesBack = [](std::atomic<std::uint64_t>& count) {
        if (count.load() % 2 == 1)
            ++count;
        return std::string("the compositor went");
    };
    const ChildProcess::Exit exit = watched(comesBack, 1, std::chrono::milliseconds(0), true);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(exit.said, "still running\n");
}
