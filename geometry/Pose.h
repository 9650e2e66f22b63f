#pragma once

#include "foundation/serialization/Serializable.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

// A position and an orientation, serialised in that order.
template <class P, class O>
class Pose : public Serializable {
public:
    Pose() = default;
    Pose(const P& position, const O& orientation) : position_(position), orientation_(orientation) {}

    P& position() { return position_; }
    const P& position() const { return position_; }
    O& orientation() { return orientation_; }
    const O& orientation() const { return orientation_; }

    void serialize(Serialization& serialization) override {
        serialization.serialize(position_);
        serialization.serialize(orientation_);
    }

private:
    P position_;
    O orientation_;
};

} // namespace TAVO
