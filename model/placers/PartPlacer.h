#pragma once

#include "geometry/Angle.h"
#include "geometry/Hyperrectangle.h"
#include "geometry/Pose2D.h"

// Finds a free place on a tray for a part put there without a position
// chosen by the player.
class PartPlacer {
public:
    virtual ~PartPlacer() = default;

    // Where the origin of a part's bounds goes (angle 0). Only the size of the
    // bounds counts. Every call takes a place, used or not.
    virtual TAVO::Pose2D<float, TAVO::Angle> place(const TAVO::Hyperrectangle<2, float>& bounds) = 0;
};
