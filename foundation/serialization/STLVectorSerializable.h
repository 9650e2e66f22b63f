#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

// Writes or reads one element of a container: numbers and strings through
// their slot, records through their own serialize. Element types that are
// neither (owning pointers, for instance) add an overload of their own.
template <class T>
void serializeElement(Serialization& serialization, T& element) {
    serialization.serialize(element);
}

// Writes or reads a container count, refusing one that does not fit 32 bits.
inline std::uint32_t serializeCount(Serialization& serialization, std::size_t size) {
    if (size > 0xFFFFFFFFu)
        throw BoundException<unsigned long long>(SourceLocation(), size, 0xFFFFFFFFull);
    unsigned int count = unsigned(size);
    serialization.serialize(count);
    return count;
}

// A vector that serializes itself: the element count (32-bit), then each
// element in order.
template <class T>
class STLVectorSerializable : public Serializable, public std::vector<T> {
public:
    using std::vector<T>::vector;
    STLVectorSerializable() = default;
    STLVectorSerializable(const std::vector<T>& other) : std::vector<T>(other) {}
    STLVectorSerializable(std::vector<T>&& other) : std::vector<T>(std::move(other)) {}

    void serialize(Serialization& serialization) override {
        const std::uint32_t count = serializeCount(serialization, this->size());
        if (count < this->size())
            this->resize(count);
        // Elements already there are read in place. New ones are added as the
        // stream delivers them, so a damaged count over short data cannot make
        // the vector allocate more than the data behind it.
        for (std::uint32_t i = 0; i < count; ++i) {
            if (i == this->size())
                this->resize(std::min<std::size_t>(count, std::max<std::size_t>(16, std::size_t(i) * 2)));
            serializeElement(serialization, (*this)[i]);
        }
    }
};

} // namespace TAVO
