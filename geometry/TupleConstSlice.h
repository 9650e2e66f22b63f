#pragma once

#include "geometry/TupleBase.h"

namespace TAVO {

// A read-only view of the components A to B-1 of a longer tuple.
template <int A, int B, class T>
class TupleConstSlice : public TupleBase<B - A, T, const T*> {
    static_assert(A >= 0 && A < B, "a slice holds at least one component");

public:
    template <int M, class S>
        requires(M >= B)
    TupleConstSlice(const TupleBase<M, T, S>& tuple) : TupleBase<B - A, T, const T*>(tuple.data() + A) {}

    TupleConstSlice(const TupleConstSlice&) = default;
    TupleConstSlice& operator=(const TupleConstSlice&) = default;
};

} // namespace TAVO
