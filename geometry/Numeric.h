#pragma once

namespace TAVO {

// Small numeric helpers beside the value templates.
class Numeric {
public:
    // The remainder of value / divisor, made non-negative for a positive
    // divisor by adding the divisor to a negative remainder (-1 mod 5 is 4).
    // A divisor of 0 throws BoundException<int>.
    static int modulo(int value, int divisor);
    // The square as a 32-bit product (wrapping like unsigned arithmetic).
    static int square(int value);
    static double square(double value) { return value * value; }
    static float absolute(float value) { return value < 0.0f ? -value : value; }
};

} // namespace TAVO
