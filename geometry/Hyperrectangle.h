#pragma once

#include <algorithm>
#include <type_traits>
#include <vector>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/serialization/Serializable.h"
#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"

namespace TAVO {

// An axis-aligned box: the minimum corner and the extent (width, height).
// It covers origin to origin + extent on each axis.
template <int N, class T>
class Hyperrectangle : public Serializable {
    static_assert(N == 2, "rectangles are two-dimensional");

public:
    Hyperrectangle() = default;
    Hyperrectangle(const Point<N, T>& origin, const Tuple<N, T>& extent) : origin_(origin), extent_(extent) {}
    // The vector's components become the extent.
    Hyperrectangle(const Point<N, T>& origin, const Vector<N, T>& extent) : origin_(origin) {
        for (int i = 0; i < N; ++i)
            extent_[i] = extent[i];
    }

    Point<N, T>& origin() { return origin_; }
    const Point<N, T>& origin() const { return origin_; }
    Tuple<N, T>& extent() { return extent_; }
    const Tuple<N, T>& extent() const { return extent_; }

    // Half-open: origin <= p < origin + extent on every axis.
    template <class S>
    bool contains(const PointBase<N, T, S>& p) const {
        for (int i = 0; i < N; ++i) {
            if constexpr (std::is_integral_v<T>) {
                const long long v = p[i], o = origin_[i], e = extent_[i];
                if (!(v >= o && v < o + e))
                    return false;
            } else {
                if (!(p[i] >= origin_[i] && p[i] < origin_[i] + extent_[i]))
                    return false;
            }
        }
        return true;
    }

    // The smallest rectangle holding every point: the component-wise minimum
    // as origin, the maximum minus the minimum as extent. An empty list throws.
    static Hyperrectangle bounding(const std::vector<Point<N, T>>& points) {
        if (points.empty())
            throw UnexpectedValueException(SourceLocation(), "An empty point list", "a set of points to bound");
        Point<N, T> low = points.front(), high = points.front();
        for (const Point<N, T>& p : points)
            for (int i = 0; i < N; ++i) {
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
            }
        Tuple<N, T> extent;
        for (int i = 0; i < N; ++i)
            extent[i] = static_cast<T>(high[i] - low[i]);
        return Hyperrectangle(low, extent);
    }

    void serialize(Serialization& serialization) override {
        serialization.serialize(origin_);
        serialization.serialize(extent_);
    }

    bool operator==(const Hyperrectangle& other) const {
        return origin_ == other.origin_ && extent_ == other.extent_;
    }

private:
    Point<N, T> origin_;
    Tuple<N, T> extent_;
};

} // namespace TAVO
