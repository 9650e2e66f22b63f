#pragma once

#include <vector>

#include "foundation/serialization/Serializable.h"

namespace TAVO::Migration::JPEG {

// One table of a DHT segment: class and destination (Tc in the high nibble,
// Th in the low one), the number of codes of each length 1 to 16, and the
// symbol values in code order.
class HuffmanTable : public Serializable {
public:
    unsigned char classDestination = 0;
    unsigned char counts[16] = {};
    std::vector<unsigned char> values;

    unsigned int tableClass() const { return classDestination >> 4; }
    unsigned int destination() const { return classDestination & 15u; }

    // Reading takes as many values as the counts add up to.
    void serialize(Serialization& serialization) override;
};

} // namespace TAVO::Migration::JPEG
