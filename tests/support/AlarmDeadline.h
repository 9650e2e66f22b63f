#pragma once

#include <unistd.h>

namespace KestruneTest {

// A test that hangs ends the test program (SIGALRM) instead of the run.
struct AlarmDeadline {
    AlarmDeadline() { alarm(120); }
    ~AlarmDeadline() { alarm(0); }
};

} // namespace KestruneTest
