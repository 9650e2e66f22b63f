#pragma once

namespace TAVO {
class RandomSource;
}

// Seeds the source with a 4-byte buffer holding the milliseconds between
// 0000-01-01 00:00:00.000 and the current local time (wrapping modulo 2^32).
void seedFromClock(TAVO::RandomSource& source);
