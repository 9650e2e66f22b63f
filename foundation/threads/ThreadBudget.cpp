#include "foundation/threads/ThreadBudget.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace TAVO {

namespace {

struct Budget {
    std::mutex guard;
    unsigned int capacity = std::max(1u, std::thread::hardware_concurrency()) - 1;
    unsigned int inUse = 0;
};

Budget& budget() {
    static Budget instance;
    return instance;
}

} // namespace

unsigned int ThreadBudget::take(unsigned int wanted) {
    Budget& b = budget();
    std::lock_guard<std::mutex> lock(b.guard);
    const unsigned int granted = b.inUse >= b.capacity ? 0 : std::min(wanted, b.capacity - b.inUse);
    b.inUse += granted;
    return granted;
}

void ThreadBudget::give(unsigned int count) {
    Budget& b = budget();
    std::lock_guard<std::mutex> lock(b.guard);
    b.inUse -= std::min(count, b.inUse);
}

unsigned int ThreadBudget::inUse() {
    Budget& b = budget();
    std::lock_guard<std::mutex> lock(b.guard);
    return b.inUse;
}

unsigned int ThreadBudget::capacity() {
    Budget& b = budget();
    std::lock_guard<std::mutex> lock(b.guard);
    return b.capacity;
}

void ThreadBudget::setCapacity(unsigned int capacity) {
    Budget& b = budget();
    std::lock_guard<std::mutex> lock(b.guard);
    b.capacity = capacity;
}

} // namespace TAVO
