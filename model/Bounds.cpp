#include "model/Bounds.h"

#include <algorithm>

using TAVO::Point;

Bounds::Rectangle Bounds::at(const Point<2, float>& point) {
    return Rectangle(point, TAVO::Tuple<2, float>(0.0f, 0.0f));
}

void Bounds::extend(Rectangle& rectangle, const Point<2, float>& point) {
    for (int i = 0; i < 2; ++i) {
        float& origin = rectangle.origin()[i];
        float& extent = rectangle.extent()[i];
        if (origin > point[i]) {
            // Far end first: (origin + extent) - p.
            extent = (origin + extent) - point[i];
            origin = point[i];
        } else if (point[i] - origin > extent) {
            extent = point[i] - origin;
        }
    }
}

Bounds::Rectangle Bounds::unite(const Rectangle& a, const Rectangle& b) {
    Rectangle result;
    for (int i = 0; i < 2; ++i) {
        const float origin = std::min(a.origin()[i], b.origin()[i]);
        const float end = std::max(a.origin()[i] + a.extent()[i], b.origin()[i] + b.extent()[i]);
        result.origin()[i] = origin;
        result.extent()[i] = end - origin;
    }
    return result;
}

Bounds::Rectangle Bounds::grow(const Rectangle& rectangle, float distance) {
    Rectangle result;
    for (int i = 0; i < 2; ++i) {
        result.origin()[i] = rectangle.origin()[i] - distance;
        result.extent()[i] = (rectangle.extent()[i] + distance) + distance;
    }
    return result;
}
