#pragma once

#include "geometry/PointBase.h"

namespace TAVO {

// A read-only view of a point stored elsewhere; the storage must outlive the
// view. Copying and assigning copy the pointer.
template <int N, class T>
class PointConstBorrow : public PointBase<N, T, const T*> {
public:
    explicit PointConstBorrow(const T* first) : PointBase<N, T, const T*>(first) {}
    PointConstBorrow(const T* array, unsigned int index) : PointBase<N, T, const T*>(array + index) {}
    // A view of any point of the same size.
    template <class S>
    PointConstBorrow(const PointBase<N, T, S>& point) : PointBase<N, T, const T*>(point.data()) {}

    PointConstBorrow(const PointConstBorrow&) = default;
    PointConstBorrow& operator=(const PointConstBorrow&) = default;
};

} // namespace TAVO
