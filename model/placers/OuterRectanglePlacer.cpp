#include "model/placers/OuterRectanglePlacer.h"

#include <algorithm>
#include <cmath>

using TAVO::Point;
using TAVO::Vector;

OuterRectanglePlacer::OuterRectanglePlacer(const TAVO::Hyperrectangle<2, float>& inner, const Vector<2, float>& gap)
    : gap_(gap), covered_(inner) {
    startRun();
}

void OuterRectanglePlacer::startRun() {
    const float x = covered_.origin()[0], y = covered_.origin()[1];
    const float w = covered_.extent()[0], h = covered_.extent()[1];
    const bool wide = w > h * goldenRatio;
    axis_ = wide ? 0 : 1;
    const std::uint32_t across = 1 - axis_;
    const float low = covered_.origin()[across];
    const float high = covered_.origin()[across] + covered_.extent()[across];
    // The run goes along the side nearer the origin.
    const bool far = std::fabs(high) > std::fabs(low);
    if (wide && far) {
        step_ = Vector<2, float>(1.0f, 0.0f), offset_ = Vector<2, float>(0.0f, 1.0f), cursor_ = Point<2, float>(x, y);
    } else if (wide) {
        step_ = Vector<2, float>(-1.0f, 0.0f), offset_ = Vector<2, float>(1.0f, 0.0f);
        cursor_ = Point<2, float>(x + w, y + h);
    } else if (far) {
        step_ = Vector<2, float>(0.0f, -1.0f), offset_ = Vector<2, float>(1.0f, 1.0f);
        cursor_ = Point<2, float>(x, y + h);
    } else {
        step_ = Vector<2, float>(0.0f, 1.0f), offset_ = Vector<2, float>(0.0f, 0.0f), cursor_ = Point<2, float>(x + w, y);
    }
    limits_ = TAVO::Tuple<2, float>(covered_.origin()[axis_], covered_.origin()[axis_] + covered_.extent()[axis_]);
}

TAVO::Pose2D<float, TAVO::Angle> OuterRectanglePlacer::place(const TAVO::Hyperrectangle<2, float>& bounds) {
    const Vector<2, float> slot(bounds.extent()[0] + 2.0f * gap_[0], bounds.extent()[1] + 2.0f * gap_[1]);
    const Vector<2, float> advance(slot[0] * step_[0], slot[1] * step_[1]);
    if (outsideRun((cursor_ + advance)[axis_]))
        startRun();
    const Vector<2, float> stride(slot[0] * step_[0], slot[1] * step_[1]);
    const Point<2, float> corner(cursor_[0] - slot[0] * offset_[0], cursor_[1] - slot[1] * offset_[1]);
    cursor_ += stride;
    for (int i = 0; i < 2; ++i) {
        const float low = std::min(covered_.origin()[i], corner[i]);
        const float high = std::max(corner[i] + slot[i], covered_.origin()[i] + covered_.extent()[i]);
        covered_.origin()[i] = low;
        covered_.extent()[i] = high - low;
    }
    if (outsideRun(cursor_[axis_]))
        startRun();
    return TAVO::Pose2D<float, TAVO::Angle>(corner + gap_, TAVO::Angle(0.0));
}
