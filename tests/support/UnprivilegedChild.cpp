#include "support/UnprivilegedChild.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace KestruneTest {

namespace {

// The child's exit codes besides 0 (the text was handed over).
constexpr int unsent = 1;
constexpr int checksFailed = 2;
constexpr int stillRoot = 3;
constexpr int threw = 4;

// Whether a check of the running test failed from the given result part on.
bool failedSince(int part) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr)
        return false;
    const ::testing::TestResult* result = test->result();
    for (int i = part; i < result->total_part_count(); ++i)
        if (result->GetTestPartResult(i).failed())
            return true;
    return false;
}

int partCount() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test == nullptr ? 0 : test->result()->total_part_count();
}

bool sendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::write(fd, text.data() + sent, text.size() - sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

} // namespace

void UnprivilegedChild::lend(const std::string& folder) {
    if (geteuid() != 0)
        return;
    namespace fs = std::filesystem;
    const fs::path root = fs::absolute(folder);
    for (fs::path above = root.parent_path(); !above.empty(); above = above.parent_path()) {
        struct stat status {};
        if (stat(above.c_str(), &status) != 0 || (status.st_mode & S_IXOTH) == 0) {
            ADD_FAILURE() << "user " << nobody << " cannot pass " << above << " to reach " << root;
            return;
        }
        if (above == above.root_path())
            break;
    }
    auto give = [](const fs::path& path) {
        if (lchown(path.c_str(), nobody, nobody) != 0)
            ADD_FAILURE() << "cannot hand " << path << " to user " << nobody;
    };
    give(root);
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        give(it->path());
    if (error)
        ADD_FAILURE() << "cannot walk " << root << ": " << error.message();
}

std::string UnprivilegedChild::run(const std::function<std::string()>& work) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe to the child";
        return "";
    }
    // Output still buffered would otherwise be written twice.
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        ADD_FAILURE() << "cannot fork the child";
        return "";
    }
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0 || geteuid() == 0))
            _exit(stillRoot);
        const int part = partCount();
        // An exception must not leave into the rest of the test program.
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "The child's work threw: %s\n", e.what());
            std::fflush(nullptr);
            _exit(threw);
        } catch (...) {
            std::fflush(nullptr);
            _exit(threw);
        }
        const bool sent = sendAll(channel[1], text);
        std::fflush(nullptr);
        _exit(failedSince(part) ? checksFailed : sent ? 0 : unsent);
    }
    close(channel[1]);
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(channel[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(chunk, std::size_t(got));
    }
    close(channel[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        ADD_FAILURE() << "the child ended with signal " << WTERMSIG(status);
    } else if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the child did not end";
    } else if (WEXITSTATUS(status) == stillRoot) {
        ADD_FAILURE() << "the child could not give up root for user " << nobody;
    } else if (WEXITSTATUS(status) == threw) {
        ADD_FAILURE() << "the child's work threw";
    } else if (WEXITSTATUS(status) == checksFailed) {
        ADD_FAILURE() << "the child failed the checks above";
    } else if (WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the child ended with " << WEXITSTATUS(status) << " before telling what it saw";
    }
    return text;
}

} // namespace KestruneTest
