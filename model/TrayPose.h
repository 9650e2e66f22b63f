#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/Vector.h"

// Where the view shows a tray: the table point at the window centre is minus
// the position, and the zoom level gives the scale 2^-level in table units
// per window pixel. Stored as x, y and level (three 32-bit floats).
class TrayPose : public TAVO::Serializable {
public:
    TrayPose() = default;
    TrayPose(const TAVO::Vector<2, float>& position, float level) : position_(position), level_(level) {}

    const TAVO::Vector<2, float>& position() const { return position_; }
    void setPosition(const TAVO::Vector<2, float>& position) { position_ = position; }
    float level() const { return level_; }
    void setLevel(float level) { level_ = level; }

    // 2 to the power of minus the level.
    float scale() const;
    // The level becomes minus log2 of the scale.
    void setScale(float scale);

    // Both coordinates and the level are finite numbers.
    bool finite() const;

    void serialize(TAVO::Serialization& serialization) override;

private:
    TAVO::Vector<2, float> position_{0.0f, 0.0f};
    float level_ = 0.0f;
};
