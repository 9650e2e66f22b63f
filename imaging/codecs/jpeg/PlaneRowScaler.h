#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Signal.h"

namespace TAVO::Migration::JPEG {

// Scales a plane to a target size one row at a time, corner-aligned bilinear:
// target 0 and t - 1 fall on source 0 and s - 1, a side of equal size maps
// each sample onto itself, a target side of 1 samples the first source line,
// and a neighbour beyond the source's last sample counts 0. The horizontal mix
// of a source row is made once for every target row that uses it, so rows
// must be asked for in increasing order. The mixes are single-precision
// floats, truncated to bytes.
class PlaneRowScaler {
public:
    // The source is not owned and must outlive the scaler.
    PlaneRowScaler(const Signal<2, unsigned char>& source, unsigned int targetWidth, unsigned int targetHeight);

    // Writes target row y (targetWidth bytes).
    void row(unsigned int y, unsigned char* target);

private:
    // The horizontal mix of source row y.
    void mixRow(unsigned int y, std::vector<float>& mixed);

    const Signal<2, unsigned char>& source_;
    unsigned int targetWidth_;
    std::vector<unsigned int> xs_, ys_;
    std::vector<float> ax_, ay_;
    // 1 - ax_, and a source row as floats with a 0 after its end.
    std::vector<float> bx_, sourceRow_;
    std::vector<float> rowA_, rowB_, zeros_, mixed_;
    std::vector<float>* top_;
    std::vector<float>* bottom_;
    unsigned int loadedTop_ = ~0u;
    unsigned int loadedBottom_ = ~0u;
};

} // namespace TAVO::Migration::JPEG
