#include "model/TrayPose.h"

#include <cmath>

#include "foundation/serialization/Serialization.h"

float TrayPose::scale() const {
    return static_cast<float>(std::exp2(-static_cast<double>(level_)));
}

void TrayPose::setScale(float scale) {
    level_ = static_cast<float>(-std::log2(static_cast<double>(scale)));
}

bool TrayPose::finite() const {
    return std::isfinite(position_[0]) && std::isfinite(position_[1]) && std::isfinite(level_);
}

void TrayPose::serialize(TAVO::Serialization& serialization) {
    serialization.serialize(position_[0]).serialize(position_[1]).serialize(level_);
}
