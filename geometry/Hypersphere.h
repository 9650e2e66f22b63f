#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/Point.h"

namespace TAVO {

// A circle (in two dimensions): a centre and a radius.
template <int N, class T>
class Hypersphere : public Serializable {
public:
    Hypersphere() = default;
    Hypersphere(const Point<N, T>& centre, T radius) : centre_(centre), radius_(radius) {}

    Point<N, T>& centre() { return centre_; }
    const Point<N, T>& centre() const { return centre_; }
    T& radius() { return radius_; }
    T radius() const { return radius_; }

    void serialize(Serialization& serialization) override {
        serialization.serialize(centre_);
        serialization.serialize(radius_);
    }

private:
    Point<N, T> centre_;
    T radius_ = T(0);
};

} // namespace TAVO
