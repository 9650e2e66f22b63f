#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace KestruneTest {

// Runs part of a test in a forked child process that must end by a deadline,
// so that work that hangs fails the test instead of stopping the test
// program. The child does the work and ends with _exit, so that nothing of
// the parent's state (test fixtures, threads' locks, exit handlers) runs
// twice. The work tells what it saw as text; checks it makes (EXPECT_...), on
// any of its threads, are added to the test where the parent runs it.
//
// Under ThreadSanitizer a child may start threads only when the parent had no
// thread but its own at the fork.
class ChildProcess {
public:
    // Ample time for a test's work under the sanitizers on a loaded machine,
    // and well within the time the test runner gives a whole test program.
    static constexpr std::chrono::milliseconds usualDeadline{std::chrono::seconds(60)};

    // Runs the work in a child and returns the text the child said and then
    // returned. A failure is added when the child's work threw (naming what:
    // a standard exception's text, one of ours described whole), when the child
    // ended before it handed its text over (by a signal, an exit of its own,
    // or _exit(0) in the middle of the work), when it could not be waited for,
    // and when it had not ended by the deadline: it is then killed and reaped,
    // and the failure quotes what it had said so far.
    static std::string run(const std::function<std::string()>& work,
                           std::chrono::milliseconds deadline = usualDeadline);

    // What a child that ends the process itself did: the text it said, and
    // its exit code (-1 when a signal ended it).
    struct Exit {
        std::string said;
        int code = -1;
    };

    // Runs work that is to end the child process itself (with _exit, from
    // any of its threads) in a child. A failure is added when the work
    // returned or threw, when the child could not be waited for, and when it
    // had not ended by the deadline (it is then killed).
    static Exit runToExit(const std::function<void()>& work, std::chrono::milliseconds deadline = usualDeadline);

    // In the child: hands text over to the parent at once, so that it is
    // known even when the child hangs afterwards (say, before a wait that
    // might not end, what it waits for). Does nothing outside a child.
    static void say(const std::string& text);
};

} // namespace KestruneTest
