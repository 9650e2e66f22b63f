#pragma once

#include "geometry/ComponentStorage.h"

namespace TAVO {

// The root of the point family: N components of T in the storage S.
template <int N, class T, class S>
class PointBase : public ComponentStorage<N, T, S> {
public:
    virtual ~PointBase() = default;

protected:
    using ComponentStorage<N, T, S>::ComponentStorage;
    PointBase() = default;
    PointBase(const PointBase&) = default;
    PointBase& operator=(const PointBase&) = default;
};

template <int N, class T, class S1, class S2>
bool operator==(const PointBase<N, T, S1>& a, const PointBase<N, T, S2>& b) {
    return equalComponents(a, b);
}

} // namespace TAVO
