#pragma once

#include "foundation/serialization/Serializable.h"
#include "geometry/TupleBase.h"

namespace TAVO {

// A tuple that writes and reads its components, first to last, without count or tag.
template <int N, class T, class S>
class TupleBaseSerializable : public TupleBase<N, T, S>, public Serializable {
public:
    void serialize(Serialization& serialization) override { this->serializeComponents(serialization); }

protected:
    using TupleBase<N, T, S>::TupleBase;
    TupleBaseSerializable() = default;
    TupleBaseSerializable(const TupleBaseSerializable&) = default;
    TupleBaseSerializable& operator=(const TupleBaseSerializable&) = default;
};

} // namespace TAVO
