#include "foundation/threads/Bands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/threads/TaskThread.h"

namespace TAVO {

unsigned int Bands::count(std::uint64_t units, std::uint64_t perBand, unsigned int most) {
    if (most == 0)
        most = std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t bands = units / std::max<std::uint64_t>(1, perBand);
    return unsigned(std::max<std::uint64_t>(1, std::min<std::uint64_t>(most, bands)));
}

void Bands::run(unsigned int count, const std::function<void(unsigned int)>& band) {
    std::atomic<unsigned int> next{0};
    std::atomic<bool> stopped{false};
    std::mutex guard;
    unsigned int failedBand = count;
    std::exception_ptr failure;
    // Takes bands until none is left, or only one when `once`. Bands are
    // taken in order, so when one fails every lower band has been taken and
    // runs to its end: the lowest failure is the one kept.
    auto take = [&](bool once = false) {
        while (!stopped.load()) {
            const unsigned int k = next.fetch_add(1);
            if (k >= count)
                return;
            try {
                band(k);
            } catch (...) {
                std::lock_guard<std::mutex> lock(guard);
                if (k < failedBand) {
                    failedBand = k;
                    failure = std::current_exception();
                }
                stopped.store(true);
            }
            if (once)
                return;
        }
    };
    std::vector<std::unique_ptr<TaskThread>> helpers;
    // Helpers join while bands are left and the budget grants threads, also
    // threads another user gives back while this work runs; the bands a
    // helper not granted would have taken are run here.
    auto recruit = [&] {
        while (helpers.size() + 1 < count && next.load() < count && !stopped.load()) {
            std::unique_ptr<TaskThread> helper = TaskThread::startIfGranted([&take] { take(); });
            if (!helper)
                return;
            helpers.push_back(std::move(helper));
        }
    };
    try {
        helpers.reserve(count > 0 ? count - 1 : 0);
        recruit();
    } catch (...) {
        // Fewer helpers: the bands they would have taken are run here.
    }
    while (!stopped.load() && next.load() < count) {
        take(true);
        try {
            recruit();
        } catch (...) {
        }
    }
    for (const auto& helper : helpers)
        helper->join();
    if (failure)
        std::rethrow_exception(failure);
}

void Bands::runRows(std::uint64_t rows, unsigned int count,
                    const std::function<void(std::uint64_t first, std::uint64_t last)>& band) {
    const unsigned int bands = unsigned(std::max<std::uint64_t>(1, std::min<std::uint64_t>(count, rows)));
    run(bands, [&](unsigned int k) { band(rows * k / bands, rows * (k + 1) / bands); });
}

} // namespace TAVO
