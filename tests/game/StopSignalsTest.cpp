// Interrupt and termination requests become a flag the main loop reads.
#include <gtest/gtest.h>

#include <csignal>

#include "game/StopSignals.h"

namespace {

volatile std::sig_atomic_t earlierHandlerRan = 0;
extern "C" void earlierHandler(int) { earlierHandlerRan = 1; }

} // namespace

TEST(StopSignals, EachSignalSetsTheFlag) {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        StopSignals signals;
        EXPECT_FALSE(StopSignals::requested());
        ASSERT_EQ(std::raise(number), 0);
        // The process is still here, and the request was noted.
        EXPECT_TRUE(StopSignals::requested());
        EXPECT_EQ(StopSignals::received(), number);
        StopSignals::reset();
        EXPECT_FALSE(StopSignals::requested());
    }
}

TEST(StopSignals, TheEarlierHandlersComeBack) {
    std::signal(SIGTERM, earlierHandler);
    {
        StopSignals signals;
        std::raise(SIGTERM);
        EXPECT_EQ(earlierHandlerRan, 0);
    }
    std::raise(SIGTERM);
    EXPECT_EQ(earlierHandlerRan, 1);
    std::signal(SIGTERM, SIG_DFL);
}

TEST(StopSignals, ANewInstanceStartsClear) {
    {
        StopSignals signals;
        std::raise(SIGINT);
    }
    StopSignals again;
    EXPECT_FALSE(StopSignals::requested());
}

TEST(StopSignals, ASignalIgnoredAtTheStartStaysIgnored) {
    std::signal(SIGHUP, SIG_IGN);
    {
        StopSignals signals;
        std::raise(SIGHUP);
        EXPECT_FALSE(StopSignals::requested());
    }
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    std::signal(SIGHUP, SIG_DFL);
}
