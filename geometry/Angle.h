#pragma once

#include "foundation/serialization/Serializable.h"

namespace TAVO {

// An angle in radians, held as a double.
class Angle : public Serializable {
public:
    Angle() = default;
    explicit Angle(double value) : value_(value) {}

    double value() const { return value_; }
    void setValue(double value) { value_ = value; }

    // The sum and the negation are normalised (see normalize).
    Angle operator+(const Angle& other) const { return Angle(normalize(value_ + other.value_)); }
    Angle operator-() const { return Angle(normalize(-value_)); }

    // a - 2 pi k, with k the integer part (towards zero) of (a + pi) / (2 pi),
    // less 1 when a is negative: [0, pi) stays, [pi, 3 pi) moves down one turn,
    // an angle just below 0 moves up one turn.
    static double normalize(double value);

    bool operator==(const Angle& other) const { return value_ == other.value_; }

    void serialize(Serialization& serialization) override;

private:
    double value_ = 0.0;
};

} // namespace TAVO
