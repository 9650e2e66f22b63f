// The child that file permissions bind: never root.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "support/UnprivilegedChild.h"

using KestruneTest::UnprivilegedChild;

// Run as root, the work runs as user and group 65534 with no other groups;
// any other user stays who it is.
TEST(UnprivilegedChild, TheWorkRunsAsNobodyWhenTheTestRunsAsRoot) {
    // The user, the group and the number of supplementary groups.
    auto identity = [] {
        return std::to_string(geteuid()) + " " + std::to_string(getegid()) + " " +
               std::to_string(getgroups(0, nullptr));
    };
    EXPECT_EQ(UnprivilegedChild::run(identity), geteuid() == 0 ? "65534 65534 0" : identity());
}
