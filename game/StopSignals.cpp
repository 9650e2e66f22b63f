#include "game/StopSignals.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStopSignal(int number) { stopSignal = number; }

} // namespace

StopSignals::StopSignals() {
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    // A blocking call of the main thread goes on after the handler.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &interrupt_);
    sigaction(SIGTERM, &action, &terminate_);
}

StopSignals::~StopSignals() {
    sigaction(SIGTERM, &terminate_, nullptr);
    sigaction(SIGINT, &interrupt_, nullptr);
}

bool StopSignals::requested() { return stopSignal != 0; }

int StopSignals::received() { return stopSignal; }

void StopSignals::reset() { stopSignal = 0; }
