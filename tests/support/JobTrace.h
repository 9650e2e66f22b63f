#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace KestruneTest {

// What the jobs of a test did, in order, with the thread each entry came
// from; safe to add to from any thread.
class JobTrace {
public:
    void add(const std::string& entry);
    std::vector<std::string> entries();
    // The entries of the done and failed steps: all but those ending in ":run".
    std::vector<std::string> deliveries();
    std::vector<std::thread::id> threads();

private:
    std::mutex mutex_;
    std::vector<std::string> entries_;
    std::vector<std::thread::id> threads_;
};

} // namespace KestruneTest
