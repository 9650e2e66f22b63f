#pragma once

#include <cstdint>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/serialization/Serializable.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::JPEG {

// A list of marker-segment records stored as a one-byte count followed by
// that many records. Reading resizes the list to the count, then reads every
// record.
template <class T>
class JPEGVector : public Serializable, public std::vector<T> {
public:
    using std::vector<T>::vector;

    void serialize(Serialization& serialization) override {
        if (this->size() > 255)
            throw BoundException<unsigned int>(SourceLocation(), unsigned(this->size()), 255);
        unsigned char count = static_cast<unsigned char>(this->size());
        serialization.serialize(count);
        if (serialization.reading())
            this->resize(count);
        for (T& element : *this)
            serialization.serialize(element);
    }
};

} // namespace TAVO::Migration::JPEG
