#pragma once

namespace ThreadsTest {

// Makes thread creation fail as when the system has no thread to give. The
// standard library makes its threads through pthread_create, which this
// test program provides in place of the system's: while an object of this
// class lives, after `allowed` more threads are made every later one is
// refused (EAGAIN).
class RefusedThreads {
public:
    explicit RefusedThreads(int allowed);
    RefusedThreads(const RefusedThreads&) = delete;
    RefusedThreads& operator=(const RefusedThreads&) = delete;
    ~RefusedThreads();
};

} // namespace ThreadsTest
