#include "RefusedThreads.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

namespace {

// Threads still to let through; below 0: every one is let through.
std::atomic<int> allowance{-1};

} // namespace

ThreadsTest::RefusedThreads::RefusedThreads(int allowed) { allowance.store(allowed); }

ThreadsTest::RefusedThreads::~RefusedThreads() { allowance.store(-1); }

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument) noexcept {
    using Real = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pthread_create"));
    int left = allowance.load();
    while (left > 0 && !allowance.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0)
        return EAGAIN;
    return real(thread, attributes, start, argument);
}
