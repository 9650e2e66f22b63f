#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/VectorBase.h"

namespace TAVO {

// A vector that writes and reads its components, first to last, without count or tag.
template <int N, class T, class S>
class VectorBaseSerializable : public VectorBase<N, T, S>, public Serializable {
public:
    void serialize(Serialization& serialization) override { this->serializeComponents(serialization); }

protected:
    using VectorBase<N, T, S>::VectorBase;
    VectorBaseSerializable() = default;
    VectorBaseSerializable(const VectorBaseSerializable&) = default;
    VectorBaseSerializable& operator=(const VectorBaseSerializable&) = default;
};

} // namespace TAVO
