#pragma once

namespace TAVO {

class Serialization;

// A class that lists its fields, in a fixed order, in one operation that both
// writes (with a Serializer) and reads (with a Deserializer). That order is its format.
class Serializable {
public:
    virtual ~Serializable() = default;
    virtual void serialize(Serialization& serialization) = 0;
};

} // namespace TAVO
