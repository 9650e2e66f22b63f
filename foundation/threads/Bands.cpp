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
    // Bands are taken in order, so when one fails every lower band has been
    // taken and runs to its end: the lowest failure is the one kept.
    auto take = [&] {
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
        }
    };
    std::vector<std::unique_ptr<TaskThread>> helpers;
    try {
        helpers.reserve(count > 0 ? count - 1 : 0);
        for (unsigned int i = 1; i < count; ++i) {
            helpers.push_back(std::make_unique<TaskThread>([&take] { take(); }));
            // One that waits for its join finds no band left then.
            if (!helpers.back()->separate())
                break;
        }
    } catch (...) {
        // Fewer helpers: the bands they would have taken are run here.
    }
    take();
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
