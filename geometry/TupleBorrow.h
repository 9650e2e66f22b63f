#pragma once

#include "geometry/Tuple.h"

namespace TAVO {

// A writable view of N components of T stored elsewhere; the storage must
// outlive the view. Copying copies the pointer, assigning writes through.
template <int N, class T>
class TupleBorrow : public TupleBaseSerializable<N, T, T*> {
public:
    explicit TupleBorrow(T* first) : TupleBaseSerializable<N, T, T*>(first) {}
    TupleBorrow(T* array, unsigned int index) : TupleBaseSerializable<N, T, T*>(array + index) {}
    TupleBorrow(Tuple<N, T>& tuple) : TupleBaseSerializable<N, T, T*>(tuple.data()) {}

    TupleBorrow(const TupleBorrow&) = default;
    TupleBorrow& operator=(const TupleBorrow& other) {
        this->copyFrom(other);
        return *this;
    }
    template <class S>
    TupleBorrow& operator=(const TupleBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }
};

} // namespace TAVO
