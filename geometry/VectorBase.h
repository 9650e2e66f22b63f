#pragma once

#include "geometry/ComponentStorage.h"

namespace TAVO {

// The root of the vector family: N components of T in the storage S.
template <int N, class T, class S>
class VectorBase : public ComponentStorage<N, T, S> {
public:
    virtual ~VectorBase() = default;

protected:
    using ComponentStorage<N, T, S>::ComponentStorage;
    VectorBase() = default;
    VectorBase(const VectorBase&) = default;
    VectorBase& operator=(const VectorBase&) = default;
};

template <int N, class T, class S1, class S2>
bool operator==(const VectorBase<N, T, S1>& a, const VectorBase<N, T, S2>& b) {
    return equalComponents(a, b);
}

} // namespace TAVO
