#pragma once

#include <cstdint>

#include "geometry/Tuple.h"
#include "geometry/Vector.h"
#include "model/placers/PartPlacer.h"

// Lays parts in runs along the sides of a rectangle that grows with every
// part: a run goes once along one side, nearest the origin, and the next
// starts where it passes the side's end, so the parts spiral outwards in
// rings around the inner rectangle. Each part gets a slot of its size plus
// the gap on every side.
class OuterRectanglePlacer : public PartPlacer {
public:
    OuterRectanglePlacer(const TAVO::Hyperrectangle<2, float>& inner, const TAVO::Vector<2, float>& gap);

    TAVO::Pose2D<float, TAVO::Angle> place(const TAVO::Hyperrectangle<2, float>& bounds) override;

    const TAVO::Hyperrectangle<2, float>& covered() const { return covered_; }

    // Wider than this times the height, the next run is a row.
    static constexpr float goldenRatio = 1.618034f;

private:
    void startRun();
    bool outsideRun(float coordinate) const { return coordinate < limits_[0] || coordinate > limits_[1]; }

    TAVO::Vector<2, float> gap_;
    TAVO::Hyperrectangle<2, float> covered_;
    TAVO::Vector<2, float> offset_;
    TAVO::Point<2, float> cursor_;
    TAVO::Vector<2, float> step_;
    std::uint32_t axis_ = 0;
    TAVO::Tuple<2, float> limits_;
};
