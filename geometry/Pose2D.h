#pragma once

#include "geometry/Point.h"
#include "geometry/Pose.h"

namespace TAVO {

// A pose in the plane: a two-dimensional point over T and an orientation.
template <class T, class O>
class Pose2D : public Pose<Point<2, T>, O> {
public:
    using Pose<Point<2, T>, O>::Pose;
    Pose2D() = default;
};

} // namespace TAVO
