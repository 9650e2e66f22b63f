#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "foundation/threads/PerformanceCounter.h"
#include "foundation/threads/Timer.h"
#include "foundation/threads/TimerException.h"

using namespace TAVO;

namespace {

class CountingTimer : public Timer {
public:
    ~CountingTimer() override { stop(); }
    std::atomic<int> fired{0};
    std::atomic<bool> onOtherThread{false};
    std::thread::id owner = std::this_thread::get_id();

protected:
    void elapsed() override {
        onOtherThread.store(std::this_thread::get_id() != owner);
        fired.fetch_add(1);
    }
};

class SelfStoppingTimer : public Timer {
public:
    ~SelfStoppingTimer() override { stop(); }
    std::atomic<int> fired{0};

protected:
    void elapsed() override {
        fired.fetch_add(1);
        stop();
    }
};

template <class Condition>
bool waitFor(Condition condition) {
    for (int i = 0; i < 5000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

} // namespace

TEST(TimerFiring, OneShotFiresOnceOnTheTimerThread) {
    CountingTimer timer;
    timer.start(Duration(1));
    ASSERT_TRUE(waitFor([&] { return timer.fired.load() == 1; }));
    timer.stop();
    EXPECT_EQ(timer.fired.load(), 1);
    EXPECT_TRUE(timer.onOtherThread.load());
}

TEST(TimerFiring, PeriodicFiresUntilStopped) {
    CountingTimer timer;
    timer.start(Duration(0), Duration(1));
    ASSERT_TRUE(waitFor([&] { return timer.fired.load() >= 3; }));
    timer.stop();
    const int count = timer.fired.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(timer.fired.load(), count);
    timer.stop();   // stopping a stopped timer is harmless
}

TEST(TimerFiring, StopBeforeTheDueTimeCancels) {
    CountingTimer timer;
    timer.start(Duration(60000));
    timer.stop();
    EXPECT_EQ(timer.fired.load(), 0);
}

TEST(TimerFiring, StartAtAPassedMomentFiresAtOnce) {
    CountingTimer timer;
    timer.startAt(PerformanceCounter::now() - Duration(120000), Duration(60000));
    ASSERT_TRUE(waitFor([&] { return timer.fired.load() == 1; }));
}

TEST(TimerFiring, ElapsedMayStopItsOwnTimer) {
    SelfStoppingTimer timer;
    timer.start(Duration(0), Duration(1));
    ASSERT_TRUE(waitFor([&] { return timer.fired.load() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(timer.fired.load(), 1);
}

TEST(TimerFiring, ExceptionText) {
    EXPECT_EQ(TimerException(SourceLocation()).message(), "Timer error occured. ");
}
