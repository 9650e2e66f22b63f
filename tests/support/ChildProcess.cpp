#include "support/ChildProcess.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/exceptions/Exception.h"

namespace KestruneTest {

namespace {

// What the child sends is a series of messages, each a kind, a length and
// that many bytes. The work's text or the reason it stopped ends the series:
// a child that ends without one did not finish its work.
enum Kind : char {
    said = 's',      // text said while the work goes on
    failure = 'f',   // a failed check: file, line and message, one a line
    returned = 'r',  // the work's text, which ends the series
    threw = 't',     // why the work stopped, which ends the series
};
constexpr std::size_t headerSize = 1 + sizeof(std::uint32_t);

// The child's exit code when the parent could not be told everything.
constexpr int unsent = 1;

// In the child, its end of the channel to the parent; -1 elsewhere.
int toParent = -1;
// Keeps the messages of the child's threads whole.
std::mutex sending;

bool sendAll(int fd, const char* data, std::size_t size) {
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::write(fd, data + sent, size - sent);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

// Sends one message; takes no memory, so that work that makes allocations
// fail may still say what it does.
bool send(Kind kind, const std::string& text) {
    if (toParent < 0)
        return true;
    char header[headerSize];
    header[0] = kind;
    const std::uint32_t size = std::uint32_t(text.size());
    std::memcpy(header + 1, &size, sizeof size);
    std::lock_guard<std::mutex> lock(sending);
    return sendAll(toParent, header, sizeof header) && sendAll(toParent, text.data(), text.size());
}

// In the child, hands every failed check over to the parent as it happens.
// One stands in for the reporter of the work's thread (which may be a test's
// own fake reporter, as in EXPECT_NONFATAL_FAILURE), one for the other
// threads'.
class FailureForwarder : public ::testing::ScopedFakeTestPartResultReporter {
public:
    explicit FailureForwarder(InterceptMode mode) : ScopedFakeTestPartResultReporter(mode, nullptr) {}

    void ReportTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.failed())
            send(failure, std::string(result.file_name() == nullptr ? "" : result.file_name()) + "\n" +
                              std::to_string(result.line_number()) + "\n" + result.message());
    }
};

[[noreturn]] void runInChild(const std::function<std::string()>& work) {
    FailureForwarder onThisThread(FailureForwarder::INTERCEPT_ONLY_CURRENT_THREAD);
    FailureForwarder onOtherThreads(FailureForwarder::INTERCEPT_ALL_THREADS);
    bool sent = false;
    // An exception must not leave into the rest of the test program.
    try {
        const std::string text = work();
        sent = send(returned, text);
    } catch (const std::exception& e) {
        sent = send(threw, std::string("the child's work threw: ") + e.what());
    } catch (const TAVO::Exception& e) {
        sent = send(threw, "the child's work threw: " + e.describe());
    } catch (...) {
        sent = send(threw, "the child's work threw something that is no exception");
    }
    std::fflush(nullptr);
    _exit(sent ? 0 : unsent);
}

// The parent's side: the messages as they arrive.
struct Heard {
    std::string pending;
    std::string text;
    std::string stopped;
    bool finished = false;

    void take(const char* data, std::size_t size) {
        pending.append(data, size);
        std::size_t at = 0;
        while (pending.size() - at >= headerSize) {
            std::uint32_t length;
            std::memcpy(&length, pending.data() + at + 1, sizeof length);
            if (pending.size() - at - headerSize < length)
                break;
            const std::string body = pending.substr(at + headerSize, length);
            switch (pending[at]) {
            case said:
                text += body;
                break;
            case failure:
                addFailure(body);
                break;
            case returned:
                text += body;
                finished = true;
                break;
            case threw:
                stopped = body;
                finished = true;
                break;
            default:
                ADD_FAILURE() << "the child sent a message of unknown kind " << int(pending[at]);
                break;
            }
            at += headerSize + length;
        }
        pending.erase(0, at);
    }

    static void addFailure(const std::string& body) {
        const std::size_t file = body.find('\n');
        const std::size_t line = file == std::string::npos ? file : body.find('\n', file + 1);
        if (line == std::string::npos) {
            ADD_FAILURE() << "in the child: " << body;
            return;
        }
        const std::string name = body.substr(0, file);
        ADD_FAILURE_AT(name.empty() ? nullptr : name.c_str(), std::atoi(body.c_str() + file + 1))
            << "in the child: " << body.substr(line + 1);
    }
};

} // namespace

void ChildProcess::say(const std::string& text) {
    send(said, text);
}

namespace {

// Runs the work in a forked child and listens to it until it ends: true with
// its wait status then; false, with a failure added, when it could not be
// started or waited for, or had not ended by the deadline (it is then
// killed).
bool supervise(const std::function<std::string()>& work, std::chrono::milliseconds deadline, Heard& heard,
               int& status) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe to the child";
        return false;
    }
    // Output still buffered would otherwise be written twice.
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        ADD_FAILURE() << "cannot fork the child";
        return false;
    }
    if (child == 0) {
        close(channel[0]);
        toParent = channel[1];
        runInChild(work);
    }
    close(channel[1]);
    const int fromChild = channel[0];

    bool open = true;
    char chunk[4096];
    // Reads what arrives within the given milliseconds and tells whether
    // something came; notes the channel's end.
    auto listen = [&](int milliseconds) {
        pollfd ready{fromChild, POLLIN, 0};
        if (poll(&ready, 1, milliseconds) <= 0)
            return false;
        const ssize_t got = read(fromChild, chunk, sizeof chunk);
        if (got > 0) {
            heard.take(chunk, std::size_t(got));
            return true;
        }
        if (got == 0 || errno != EINTR)
            open = false;
        return false;
    };
    // Reads what is there without waiting.
    auto drain = [&] {
        while (open && listen(0)) {
        }
    };

    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            // All the child wrote is in the pipe now. What a process the
            // child started may still write is not waited for.
            drain();
            break;
        }
        if (ended < 0 && errno != EINTR) {
            const int error = errno;
            close(fromChild);
            ADD_FAILURE() << "cannot wait for the child: " << std::strerror(error);
            return false;
        }
        if (std::chrono::steady_clock::now() >= end) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            drain();
            close(fromChild);
            ADD_FAILURE() << "the child did not end within " << deadline.count() << " ms and was killed; it had said:\n"
                          << heard.text;
            return false;
        }
        // Short waits: the child's end is noticed soon even when a process
        // it started holds the channel open.
        if (open)
            listen(10);
        else
            poll(nullptr, 0, 10);
    }
    close(fromChild);
    return true;
}

} // namespace

std::string ChildProcess::run(const std::function<std::string()>& work, std::chrono::milliseconds deadline) {
    Heard heard;
    int status = 0;
    if (!supervise(work, deadline, heard, status))
        return heard.text;
    if (WIFSIGNALED(status)) {
        ADD_FAILURE() << "the child ended with signal " << WTERMSIG(status) << "; it had said:\n" << heard.text;
    } else if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the child did not end";
    } else if (WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the child ended with " << WEXITSTATUS(status) << " before telling what it saw";
    } else if (!heard.finished) {
        ADD_FAILURE() << "the child ended before it handed its text over; it had said:\n" << heard.text;
    } else if (!heard.stopped.empty()) {
        ADD_FAILURE() << heard.stopped;
    }
    return heard.text;
}

ChildProcess::Exit ChildProcess::runToExit(const std::function<void()>& work, std::chrono::milliseconds deadline) {
    Heard heard;
    int status = 0;
    Exit exit;
    const bool ended = supervise(
        [&] {
            work();
            return std::string();
        },
        deadline, heard, status);
    exit.said = heard.text;
    if (!ended)
        return exit;
    if (WIFEXITED(status))
        exit.code = WEXITSTATUS(status);
    if (!heard.stopped.empty())
        ADD_FAILURE() << heard.stopped;
    else if (heard.finished)
        ADD_FAILURE() << "the child's work returned instead of ending the process; it had said:\n" << heard.text;
    return exit;
}

} // namespace KestruneTest
