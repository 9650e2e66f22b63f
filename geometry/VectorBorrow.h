#pragma once

#include "geometry/Vector.h"

namespace TAVO {

// A writable view of a vector stored elsewhere; the storage must outlive the
// view. Copying copies the pointer, assigning writes through.
template <int N, class T>
class VectorBorrow : public VectorBaseSerializable<N, T, T*> {
public:
    explicit VectorBorrow(T* first) : VectorBaseSerializable<N, T, T*>(first) {}
    VectorBorrow(T* array, unsigned int index) : VectorBaseSerializable<N, T, T*>(array + index) {}
    VectorBorrow(Vector<N, T>& vector) : VectorBaseSerializable<N, T, T*>(vector.data()) {}

    VectorBorrow(const VectorBorrow&) = default;
    VectorBorrow& operator=(const VectorBorrow& other) {
        this->copyFrom(other);
        return *this;
    }
    template <class S>
    VectorBorrow& operator=(const VectorBase<N, T, S>& other) {
        this->copyFrom(other);
        return *this;
    }
};

} // namespace TAVO
