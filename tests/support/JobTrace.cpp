#include "support/JobTrace.h"

namespace KestruneTest {

void JobTrace::add(const std::string& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(entry);
    threads_.push_back(std::this_thread::get_id());
}

std::vector<std::string> JobTrace::entries() {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

std::vector<std::string> JobTrace::deliveries() {
    std::vector<std::string> found;
    for (const std::string& entry : entries())
        if (!entry.ends_with(":run"))
            found.push_back(entry);
    return found;
}

std::vector<std::thread::id> JobTrace::threads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
}

} // namespace KestruneTest
