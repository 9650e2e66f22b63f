#include "game/StopSignals.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStopSignal(int number) { stopSignal = number; }

// Takes the signal over, unless whoever started the game had it ignored
// (nohup, a background job of a shell): then it stays ignored.
void takeOver(int number, const struct sigaction& action, struct sigaction& earlier) {
    sigaction(number, nullptr, &earlier);
    if (earlier.sa_handler != SIG_IGN)
        sigaction(number, &action, nullptr);
}

} // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    // A blocking call of the main thread goes on after the handler.
    action.sa_flags = SA_RESTART;
    takeOver(SIGINT, action, interrupt_);
    takeOver(SIGTERM, action, terminate_);
    takeOver(SIGHUP, action, hangUp_);
}

StopSignals::~StopSignals() {
    sigaction(SIGHUP, &hangUp_, nullptr);
    sigaction(SIGTERM, &terminate_, nullptr);
    sigaction(SIGINT, &interrupt_, nullptr);
}

bool StopSignals::requested() { return stopSignal != 0; }

int StopSignals::received() { return stopSignal; }

void StopSignals::reset() { stopSignal = 0; }
