#pragma once

namespace TAVO {

// The threads the process runs beside its own for work split to run side by
// side (every TaskThread holds one while its function runs): at most one
// less than the processor's cores at once. A thread that splits its work
// runs a share of it itself, so it and all the threads it and its helpers
// draw from here never ask for more cores than there are, however deeply
// the work is split again. Nothing waits for a thread: what is not granted
// is run by the thread that asked.
class ThreadBudget {
public:
    // Takes up to `wanted` threads; how many were granted (0 when none is free).
    static unsigned int take(unsigned int wanted);
    // Gives back threads taken.
    static void give(unsigned int count);

    // Threads taken and not given back.
    static unsigned int inUse();
    // The most threads out at once.
    static unsigned int capacity();
    // Changes the most threads out at once (tests narrow or widen it).
    // Threads out beyond a narrowed capacity stay out until they are given
    // back; none is granted meanwhile.
    static void setCapacity(unsigned int capacity);
};

} // namespace TAVO
