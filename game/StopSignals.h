#pragma once

#include <csignal>

// Turns an interrupt (SIGINT), a termination request (SIGTERM) or the loss of
// the terminal the game was started from (SIGHUP) into a flag that the main
// loop reads, so that the game shuts down as it does when the window is
// closed: the saves finish and everything is released in order.
// The handlers are installed by the constructor (a signal that was ignored
// when the game started stays ignored) and the earlier ones put back by the
// destructor. One instance at a time; main thread only.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // True once one of the signals arrived (since construction or the last reset).
    static bool requested();
    // The signal that arrived last, 0 before any.
    static int received();
    static void reset();

private:
    struct sigaction interrupt_ {};
    struct sigaction terminate_ {};
    struct sigaction hangUp_ {};
};
