#pragma once

#include "foundation/serialization/Serializable.h"
#include "foundation/serialization/Serialization.h"
#include "geometry/Angle.h"

namespace TAVO {

// A rotation of the plane by an angle.
template <int N, class T>
class RotationDescription : public Serializable {
    static_assert(N == 2, "rotations are described in the plane");

public:
    RotationDescription() = default;
    explicit RotationDescription(const Angle& angle) : angle_(angle) {}

    Angle& angle() { return angle_; }
    const Angle& angle() const { return angle_; }

    void serialize(Serialization& serialization) override { serialization.serialize(angle_); }

private:
    Angle angle_;
};

} // namespace TAVO
