#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace KestruneTest {

// Polls a worker or a pool (anything with poll()) until finished holds or
// its jobs have been given ample time, some twenty seconds.
template <class Poller>
void pollUntil(Poller& poller, const std::function<bool()>& finished) {
    for (int i = 0; i < 20000 && !finished(); ++i) {
        poller.poll();
        if (!finished())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Waits until the condition holds or some twenty seconds have passed,
// delivering nothing; whether it holds.
inline bool waitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 20000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

} // namespace KestruneTest
