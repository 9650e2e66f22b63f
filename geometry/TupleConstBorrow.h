#pragma once

#include "geometry/TupleBase.h"

namespace TAVO {

// A read-only view of N components of T stored elsewhere; the storage must
// outlive the view. Copying and assigning copy the pointer.
template <int N, class T>
class TupleConstBorrow : public TupleBase<N, T, const T*> {
public:
    explicit TupleConstBorrow(const T* first) : TupleBase<N, T, const T*>(first) {}
    TupleConstBorrow(const T* array, unsigned int index) : TupleBase<N, T, const T*>(array + index) {}
    // A view of any tuple of the same size.
    template <class S>
    TupleConstBorrow(const TupleBase<N, T, S>& tuple) : TupleBase<N, T, const T*>(tuple.data()) {}

    TupleConstBorrow(const TupleConstBorrow&) = default;
    TupleConstBorrow& operator=(const TupleConstBorrow&) = default;
};

} // namespace TAVO
