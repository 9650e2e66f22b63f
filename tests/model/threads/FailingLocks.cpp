#include "FailingLocks.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <sys/file.h>

namespace {

// Exclusive locks to let through before the one that fails; 0: none fails.
std::atomic<int> countdown{0};

} // namespace

void GamesTest::FailingLocks::failNth(int n) { countdown.store(n); }

extern "C" int flock(int fd, int operation) noexcept {
    using Real = int (*)(int, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "flock"));
    if ((operation & LOCK_EX) != 0) {
        int left = countdown.load();
        while (left > 0 && !countdown.compare_exchange_weak(left, left - 1)) {
        }
        if (left == 1) {
            errno = EWOULDBLOCK;
            return -1;
        }
    }
    return real(fd, operation);
}
