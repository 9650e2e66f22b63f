#pragma once

#include <type_traits>

#include "foundation/serialization/Serialization.h"

namespace TAVO {

// The N contiguous components of T behind every tuple, point and vector.
// S is the storage: T[N] owns the components, T* views mutable components
// stored elsewhere and const T* views read-only ones.
template <int N, class T, class S>
class ComponentStorage {
    static_assert(N >= 1 && N <= 4, "values have one to four components");

public:
    static constexpr int dimension = N;
    using Element = T;

    // Element access; the index must be below N.
    decltype(auto) operator[](int index) { return storage_[index]; }
    decltype(auto) operator[](int index) const { return storage_[index]; }

    // The first of the N contiguous components.
    auto data() { return &storage_[0]; }
    auto data() const { return &storage_[0]; }

protected:
    ComponentStorage() : storage_{} {}
    template <class P>
        requires std::is_pointer_v<S> && std::is_convertible_v<P, S>
    explicit ComponentStorage(P first) : storage_(first) {}

    ComponentStorage(const ComponentStorage&) = default;
    ComponentStorage& operator=(const ComponentStorage&) = default;
    ~ComponentStorage() = default;

    void fill(T value) {
        for (int i = 0; i < N; ++i)
            storage_[i] = value;
    }
    template <class Other>
    void copyFrom(const Other& other) {
        for (int i = 0; i < N; ++i)
            storage_[i] = other[i];
    }
    // Hands every component, first to last, to the element type's slot.
    void serializeComponents(Serialization& serialization) {
        for (int i = 0; i < N; ++i)
            serialization.serialize(storage_[i]);
    }

    S storage_;
};

// Component-wise equality of any two storages of the same N and T.
template <int N, class T, class S1, class S2>
bool equalComponents(const ComponentStorage<N, T, S1>& a, const ComponentStorage<N, T, S2>& b) {
    for (int i = 0; i < N; ++i)
        if (!(a[i] == b[i]))
            return false;
    return true;
}

} // namespace TAVO
