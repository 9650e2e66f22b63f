#include "foundation/serialization/Serialization.h"

#include "foundation/serialization/Deserializer.h"
#include "foundation/serialization/Serializer.h"

namespace TAVO {

void Serialization::serialize(const Serializable& object, WriteStream& stream) {
    Serializer serializer(stream);
    // The visitor takes fields by reference for both directions; a writing
    // pass reads them, and the byte-swapping wrapper restores what it turns.
    const_cast<Serializable&>(object).serialize(serializer);
}

void Serialization::deserialize(ReadStream& stream, Serializable& object) {
    Deserializer deserializer(stream);
    object.serialize(deserializer);
}

} // namespace TAVO
