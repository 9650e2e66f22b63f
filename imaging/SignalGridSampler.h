#pragma once

#include "geometry/Vector.h"
#include "imaging/SignalConstBorrow.h"

namespace TAVO {

// What sampleGrid reads: a two-dimensional byte signal (not owned) sampled at
// (x * step.x + offset.x, y * step.y + offset.y) for each target sample (x, y).
struct SignalGridSampler {
    SignalConstBorrow<2, unsigned char> source;
    Vector<2, float> step;
    Vector<2, float> offset;
};

} // namespace TAVO
