#pragma once

#include <cstdint>
#include <functional>

namespace TAVO {

// Work split into bands that may run side by side in any order. The calling
// thread runs bands itself, helped by as many threads as the ThreadBudget
// grants (none: it runs them all, in order). Each thread takes the next
// band not taken until none is left.
class Bands {
public:
    // How many bands `units` of work make at `perBand` units a band or more:
    // at most `most` (0: the processor's cores), at least one.
    static unsigned int count(std::uint64_t units, std::uint64_t perBand, unsigned int most = 0);

    // Runs band(k) for every k below count and returns once every band has
    // ended and every helping thread is joined. After a band throws no band
    // is taken; the failure of the lowest band that failed, the one a run
    // in order would meet first, is rethrown.
    static void run(unsigned int count, const std::function<void(unsigned int)>& band);
    // The same over `rows` rows in `count` bands (never more than there are
    // rows): band k runs band(first, last) for rows first to last, not
    // included, where first is rows * k / bands.
    static void runRows(std::uint64_t rows, unsigned int count,
                        const std::function<void(std::uint64_t first, std::uint64_t last)>& band);
};

} // namespace TAVO
