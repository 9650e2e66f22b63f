#pragma once

#include <gtest/gtest.h>

#include <new>

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

    // Calls attempt with its n-th allocation failing, for n = 1, 2, ...,
    // until a call returns without reaching it; after each call that threw
    // std::bad_alloc, failed(n) runs with allocations passing again. The
    // number of calls that threw; a call that returns though its allocation
    // failed is a test failure.
    template <class Attempt, class Failed>
    static int failEachInTurn(const Attempt& attempt, const Failed& failed) {
        for (int n = 1;; ++n) {
            failNth(n);
            try {
                attempt();
            } catch (const std::bad_alloc&) {
                off();
                failed(n);
                continue;
            } catch (...) {
                off();
                throw;
            }
            const bool reached = !pending();
            off();
            if (reached)
                ADD_FAILURE() << "allocation " << n << " failed, yet the call returned";
            return n - 1;
        }
    }
};

} // namespace KestruneTest
