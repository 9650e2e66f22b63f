#pragma once

#include "foundation/threads/ThreadBudget.h"

namespace KestruneTest {

// The process's thread budget for one test, as it was afterwards.
struct ThreadCapacity {
    const unsigned int before = TAVO::ThreadBudget::capacity();
    explicit ThreadCapacity(unsigned int capacity) { TAVO::ThreadBudget::setCapacity(capacity); }
    ~ThreadCapacity() { TAVO::ThreadBudget::setCapacity(before); }
};

} // namespace KestruneTest
