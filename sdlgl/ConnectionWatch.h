#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/threads/PerformanceCounter.h"
#include "foundation/threads/Timer.h"

namespace TAVO::IK::SDLGL {

// The last resort for a window whose Wayland connection broke while the main
// thread was inside one of SDL's calls. libwayland keeps the events it had
// read and refuses to dispatch them once the connection holds an error, and
// loops of SDL's and of the title bar library's that wait for a queue to
// empty never end: the main thread never comes back to see the loss and end
// in order. A timer thread of the watch's own looks at the connection and
// at the main thread every interval; when the connection has broken and the
// main thread has stayed inside the same call of SDL's for the limit (and
// had not come back by the end of the look), it tells why and ends the
// process with exit code 1 once the tell has returned: what the program
// keeps is what it wrote before or writes while it tells. Never while the
// connection holds, and never while the main thread is outside SDL (an
// orderly end that saves is under way then).
class ConnectionWatch : public TAVO::Timer {
public:
    // How long the main thread may stay inside one call of SDL's on a broken
    // connection. An orderly end notices the loss within a fraction of a
    // second, and SDL's calls that do return on a broken connection return
    // within one (the swap's wait for the compositor's frame).
    static constexpr std::chrono::milliseconds limit{2000};
    static constexpr std::chrono::milliseconds interval{100};

    // One look of the watch: whether the connection had broken, and the main
    // thread's count of entries into and returns from SDL's calls (odd while
    // inside one).
    struct Look {
        bool broken = false;
        std::uint64_t calls = 0;
        std::chrono::milliseconds at{0};
    };

    // Whether the look at hand ends the process. `since` is the first of the
    // looks that found the connection broken with the main thread inside the
    // call it is in now; the look at hand replaces it when it is not one of
    // those any more.
    static bool stuck(Look& since, const Look& now, std::chrono::milliseconds limit);

    // Why the connection broke, empty while it holds; asked on the watch's
    // thread. What tells the reason on the way out, on the watch's thread;
    // the process ends when it returns.
    using Lost = std::function<std::string()>;
    using Tell = std::function<void(const std::string& why)>;

    // Starts looking (TimerException when the timer's thread cannot be
    // made). `calls` is the main thread's count and outlives the watch.
    ConnectionWatch(Lost lost, const std::atomic<std::uint64_t>& calls, Tell tell,
                    std::chrono::milliseconds limit = ConnectionWatch::limit);
    // Stops looking, waiting for a look under way.
    ~ConnectionWatch() override;

protected:
    void elapsed() override;

private:
    Lost lost_;
    const std::atomic<std::uint64_t>& calls_;
    Tell tell_;
    std::chrono::milliseconds limit_;
    TAVO::PerformanceCounter started_;
    // Only the timer's thread uses it.
    Look since_;
};

} // namespace TAVO::IK::SDLGL
