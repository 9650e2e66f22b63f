#pragma once

#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration::JPEG {

// One table of a DQT segment: precision and destination (Pq in the high
// nibble, Tq in the low one) and 64 values in zig-zag order. Only 8-bit
// tables are read: the precision is tested before the values.
class QuantizationTable : public Serializable {
public:
    unsigned char precisionDestination = 0;
    unsigned char values[64] = {};

    unsigned int precision() const { return precisionDestination >> 4; }
    unsigned int destination() const { return precisionDestination & 15u; }

    // Reading a 16-bit table throws SupportException.
    void serialize(Serialization& serialization) override;
};

} // namespace TAVO::Migration::JPEG
