#include "geometry/Numeric.h"

#include <cstdint>

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

int Numeric::modulo(int value, int divisor) {
    if (divisor == 0)
        throw BoundException<int>(SourceLocation(), divisor, 0);
    if (divisor == -1)
        return 0; // the smallest int divided by -1 would overflow
    int remainder = value % divisor;
    if (remainder < 0)
        remainder += divisor;
    return remainder;
}

int Numeric::square(int value) {
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    return static_cast<int>(v * v);
}

} // namespace TAVO
