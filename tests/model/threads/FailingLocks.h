#pragma once

namespace GamesTest {

// Makes a file lock fail as though another process held it. The file layer
// takes its exclusive locks through flock, which this test program provides
// in place of the system's: the n-th exclusive lock taken from now on fails
// (1: the next one), every other is passed on.
class FailingLocks {
public:
    static void failNth(int n);
    // No lock fails.
    static void off() { failNth(0); }
};

} // namespace GamesTest
