#pragma once

#include "geometry/VectorBase.h"

namespace TAVO {

// A read-only view of a vector stored elsewhere; the storage must outlive the
// view. Copying and assigning copy the pointer.
template <int N, class T>
class VectorConstBorrow : public VectorBase<N, T, const T*> {
public:
    explicit VectorConstBorrow(const T* first) : VectorBase<N, T, const T*>(first) {}
    VectorConstBorrow(const T* array, unsigned int index) : VectorBase<N, T, const T*>(array + index) {}
    // A view of any vector of the same size.
    template <class S>
    VectorConstBorrow(const VectorBase<N, T, S>& vector) : VectorBase<N, T, const T*>(vector.data()) {}

    VectorConstBorrow(const VectorConstBorrow&) = default;
    VectorConstBorrow& operator=(const VectorConstBorrow&) = default;
};

} // namespace TAVO
