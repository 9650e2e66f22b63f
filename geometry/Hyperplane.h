#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/Point.h"
#include "geometry/Vector.h"

namespace TAVO {

// A line (in two dimensions) as a normal and an offset: q lies on it when
// normal . q = offset. With a unit normal, normal . q - offset is the signed distance.
template <int N, class T>
class Hyperplane : public Serializable {
public:
    Hyperplane() = default;
    Hyperplane(const Vector<N, T>& normal, T offset) : normal_(normal), offset_(offset) {}
    // Through the point p: the offset is normal . p, summed from 0 in component order.
    template <class S>
    Hyperplane(const Vector<N, T>& normal, const PointBase<N, T, S>& p) : normal_(normal) {
        T sum = T(0);
        for (int i = 0; i < N; ++i)
            sum = static_cast<T>(sum + normal[i] * p[i]);
        offset_ = sum;
    }

    Vector<N, T>& normal() { return normal_; }
    const Vector<N, T>& normal() const { return normal_; }
    T& offset() { return offset_; }
    T offset() const { return offset_; }

    void serialize(Serialization& serialization) override {
        serialization.serialize(normal_);
        serialization.serialize(offset_);
    }

private:
    Vector<N, T> normal_;
    T offset_ = T(0);
};

} // namespace TAVO
