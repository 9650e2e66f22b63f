// A test's work in a child process: a child that hangs, ends early or cannot
// be waited for fails the test plainly, and the child's failed checks are the
// test's own.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include <signal.h>
#include <unistd.h>

#include "foundation/exceptions/WhatException.h"
#include "support/ChildProcess.h"

using KestruneTest::ChildProcess;

// A child that has not ended by its deadline fails the test, quoting what it
// had said; it is killed and reaped: no process, not even a zombie, is left.
TEST(ChildProcess, AChildThatHangsIsKilledAndReapedAtItsDeadline) {
    const auto start = std::chrono::steady_clock::now();
    std::string said;
    EXPECT_NONFATAL_FAILURE(said = ChildProcess::run(
                                [] {
                                    ChildProcess::say("waiting for nothing\n");
                                    ChildProcess::say(std::to_string(getpid()));
                                    for (;;)
                                        pause();
                                    return std::string();
                                },
                                std::chrono::milliseconds(500)),
                            "the child did not end within 500 ms and was killed; it had said:\nwaiting for nothing\n");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(500));
    EXPECT_LT(waited, std::chrono::seconds(30));
    ASSERT_EQ(said.rfind("waiting for nothing\n", 0), 0u) << said;
    const pid_t child = std::stoi(said.substr(said.find('\n') + 1));
    const int found = kill(child, 0);
    const int error = errno;
    EXPECT_EQ(found, -1);
    EXPECT_EQ(error, ESRCH);
}

// A child must hand its text over: one that ends with 0 before (the work
// cut short by _exit) fails the test.
TEST(ChildProcess, AChildThatEndsBeforeHandingItsTextOverFails) {
    EXPECT_NONFATAL_FAILURE(ChildProcess::run([] {
                                ChildProcess::say("half");
                                _exit(0);
                                return std::string("all");
                            }),
                            "the child ended before it handed its text over; it had said:\nhalf");
}

TEST(ChildProcess, WorkThatThrowsFailsNamingTheException) {
    EXPECT_NONFATAL_FAILURE(ChildProcess::run([]() -> std::string { throw std::runtime_error("no such row"); }),
                            "the child's work threw: no such row");
    EXPECT_NONFATAL_FAILURE(ChildProcess::run([]() -> std::string {
                                throw TAVO::WhatException(TAVO::SourceLocation(), "no such column");
                            }),
                            "the child's work threw: TAVO TAVO::WhatException: no such column");
}

// A child the system reaps before the test waits for it (SIGCHLD ignored)
// cannot tell how it ended.
TEST(ChildProcess, AChildThatCannotBeWaitedForFails) {
    struct sigaction ignore {}, before{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGCHLD, &ignore, &before), 0);
    EXPECT_NONFATAL_FAILURE(ChildProcess::run([] { return std::string("seen"); }),
                            "cannot wait for the child: No child processes");
    sigaction(SIGCHLD, &before, nullptr);
}

// Failed checks in the child, on the work's thread or another, fail the
// test, and the work's text still comes back.
TEST(ChildProcess, FailedChecksInTheChildFailTheTest) {
    std::string text;
    EXPECT_NONFATAL_FAILURE(text = ChildProcess::run([] {
                                EXPECT_EQ(1 + 1, 3) << "checked in the child";
                                return std::string("returned");
                            }),
                            "checked in the child");
    EXPECT_EQ(text, "returned");
    EXPECT_NONFATAL_FAILURE(ChildProcess::run([] {
                                std::thread([] { ADD_FAILURE() << "checked on another thread"; }).join();
                                return std::string();
                            }),
                            "checked on another thread");
    EXPECT_EQ(ChildProcess::run([] {
                  ChildProcess::say("said, ");
                  EXPECT_TRUE(true);
                  return std::string("returned");
              }),
              "said, returned");
}
