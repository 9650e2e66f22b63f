#pragma once

#include "geometry/Point.h"

namespace TAVO {

// A writable view of a point stored elsewhere; the storage must outlive the
// view. Copying copies the pointer, assigning writes through.
template <int N, class T>
class PointBorrow : public PointBaseSerializable<N, T, T*> {
public:
    explicit PointBorrow(T* first) : PointBaseSerializable<N, T, T*>(first) {}
    PointBorrow(T* array, unsigned int index) : PointBaseSerializable<N, T, T*>(array + index) {}
    PointBorrow(Point<N, T>& point) : PointBaseSerializable<N, T, T*>(point.data()) {}

    PointBorrow(const PointBorrow&) = default;
    PointBorrow& operator=(const PointBorrow& other) {
        this->copyFrom(other);
        return *this;
    }
    template <class S>
    PointBorrow& operator=(const PointBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }
};

} // namespace TAVO
