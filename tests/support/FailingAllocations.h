#pragma once

namespace KestruneTest {

// Makes an allocation fail on the calling thread. A test program linked with
// it gets its operator new and delete (on malloc and free): the n-th
// allocation the calling thread makes from now on throws std::bad_alloc
// (1: the next one); other threads' allocations and every other one pass.
class FailingAllocations {
public:
    static void failNth(int n);
    // No allocation fails.
    static void off() { failNth(0); }
    // Whether the allocation set to fail has not been reached yet.
    static bool pending();
};

} // namespace KestruneTest
