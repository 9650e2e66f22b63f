#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "support/ChildProcess.h"

namespace KestruneTest {

// Runs part of a test in a child process that file permissions bind as they
// bind a player: when the test runs as root, the forked child (a
// ChildProcess, with its deadline) first gives up root for the user and
// group 65534 ("nobody"); any other user stays who it is. The work tells what
// it saw as text; checks it makes (EXPECT_...) count as the test's own.
class UnprivilegedChild {
public:
    // The user and group the child becomes when the test runs as root.
    static constexpr unsigned int nobody = 65534;

    // Makes the folder and everything in it the child's own when the test
    // runs as root (as a player's folder is the player's), so that its
    // permission bits apply to the child as their owner. Every folder above
    // it must let others pass; the first that does not adds a failure.
    static void lend(const std::string& folder);

    // Runs the work in the child and returns the text it said and returned.
    // A child that could not give up root, did not end by returning or had
    // not ended by the deadline (it is then killed) adds a failure saying so.
    static std::string run(const std::function<std::string()>& work,
                           std::chrono::milliseconds deadline = ChildProcess::usualDeadline);
};

} // namespace KestruneTest
