#include "geometry/Angle.h"

#include <cmath>
#include <numbers>

#include "foundation/serialization/Serialization.h"

namespace TAVO {

double Angle::normalize(double value) {
    const double pi = std::numbers::pi;
    const double turn = 2.0 * pi;
    // Truncated in floating point: huge and not-a-number values never meet an
    // integer conversion.
    double k = std::trunc((value + pi) / turn);
    if (value < 0.0)
        k -= 1.0;
    return value - turn * k;
}

void Angle::serialize(Serialization& serialization) {
    serialization.serialize(value_);
}

} // namespace TAVO
