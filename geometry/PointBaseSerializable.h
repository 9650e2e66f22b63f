#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/PointBase.h"

namespace TAVO {

// A point that writes and reads its components, first to last, without count or tag.
template <int N, class T, class S>
class PointBaseSerializable : public PointBase<N, T, S>, public Serializable {
public:
    void serialize(Serialization& serialization) override { this->serializeComponents(serialization); }

protected:
    using PointBase<N, T, S>::PointBase;
    PointBaseSerializable() = default;
    PointBaseSerializable(const PointBaseSerializable&) = default;
    PointBaseSerializable& operator=(const PointBaseSerializable&) = default;
};

} // namespace TAVO
