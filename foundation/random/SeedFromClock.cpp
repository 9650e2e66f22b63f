#include "foundation/random/SeedFromClock.h"

#include <cstdint>

#include "foundation/random/RandomSource.h"
#include "foundation/streams/ArrayBuffer.h"
#include "foundation/threads/Time.h"

void seedFromClock(TAVO::RandomSource& source) {
    using namespace TAVO;
    const Time origin(Date(0, Date::January, 1), Duration(0));
    const std::uint32_t milliseconds = Time::difference(origin, Time::now(false)).count();
    ArrayBuffer<4> buffer;
    for (unsigned int i = 0; i < 4; ++i)
        *buffer.data(i) = static_cast<std::uint8_t>(milliseconds >> (8 * i));
    source.seed(buffer);
}
