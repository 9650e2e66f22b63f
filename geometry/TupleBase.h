#pragma once

#include "geometry/ComponentStorage.h"

namespace TAVO {

// The root of the tuple family: N components of T in the storage S.
template <int N, class T, class S>
class TupleBase : public ComponentStorage<N, T, S> {
public:
    virtual ~TupleBase() = default;

protected:
    using ComponentStorage<N, T, S>::ComponentStorage;
    TupleBase() = default;
    TupleBase(const TupleBase&) = default;
    TupleBase& operator=(const TupleBase&) = default;
};

template <int N, class T, class S1, class S2>
bool operator==(const TupleBase<N, T, S1>& a, const TupleBase<N, T, S2>& b) {
    return equalComponents(a, b);
}

} // namespace TAVO
