#pragma once

#include "foundation/serialization/Serializable.h"
#include "foundation/threads/PerformanceCounter.h"

namespace TAVO {

// The sign (-1, 0 or 1) of the distance from one counter reading to another.
class Sign : public Serializable {
public:
    explicit Sign(int value = 0);
    // The sign of b - a.
    Sign(const PerformanceCounter& a, const PerformanceCounter& b)
        : value_(b > a ? 1 : (b < a ? -1 : 0)) {}

    int value() const { return value_; }

    void serialize(Serialization& serialization) override;

private:
    int value_;
};

} // namespace TAVO
