#include "sdlgl/ConnectionWatch.h"

#include <unistd.h>

#include <utility>

#include "foundation/threads/Duration.h"

namespace TAVO::IK::SDLGL {

bool ConnectionWatch::stuck(Look& since, const Look& now, std::chrono::milliseconds limit) {
    // Inside one of SDL's calls, the same one as at the look kept.
    const bool inside = now.broken && now.calls % 2 == 1;
    if (!inside || !since.broken || since.calls != now.calls)
        since = now;
    return inside && now.at - since.at >= limit;
}

ConnectionWatch::ConnectionWatch(Lost lost, const std::atomic<std::uint64_t>& calls, Tell tell,
                                 std::chrono::milliseconds limit)
    : lost_(std::move(lost)), calls_(calls), tell_(std::move(tell)), limit_(limit),
      started_(TAVO::PerformanceCounter::now()) {
    const TAVO::Duration every(unsigned(interval.count()));
    start(every, every);
}

ConnectionWatch::~ConnectionWatch() { stop(); }

void ConnectionWatch::elapsed() {
    Look now;
    now.calls = calls_.load();
    const std::string why = lost_();
    now.broken = !why.empty();
    now.at = std::chrono::milliseconds(
        TAVO::PerformanceCounter::elapsed(started_, TAVO::PerformanceCounter::now()).count());
    if (!stuck(since_, now, limit_))
        return;
    // The main thread may have come back while the connection was asked:
    // then it is on its way to its own end, and the next look sees where.
    if (calls_.load() != now.calls)
        return;
    tell_(why);
    // Nothing of the process's may run any more: the main thread is inside
    // SDL, with its locks and state as they are.
    _exit(1);
}

} // namespace TAVO::IK::SDLGL
