#pragma once

#include <cstdint>

#include "imaging/Signal.h"

namespace TAVO {

// The two work pictures through which reduce halves a picture, and which of
// them holds the current one. The caller puts the picture to reduce into the
// current one; reusing the work keeps its storage.
struct SignalReduceWork {
    Signal<3, unsigned char> signals[2];
    std::uint32_t index = 0;

    Signal<3, unsigned char>& current() { return signals[index & 1]; }
    Signal<3, unsigned char>& other() { return signals[(index + 1) & 1]; }
};

} // namespace TAVO
