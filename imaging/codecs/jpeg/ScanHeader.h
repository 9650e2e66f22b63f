#pragma once

#include "foundation/serialization/Serializable.h"
#include "imaging/codecs/jpeg/JPEGVector.h"

namespace TAVO::Migration::JPEG {

// The body of a start-of-scan segment: the scan's components, the spectral
// selection and the successive approximation.
class ScanHeader : public Serializable {
public:
    // One scan component: its id and its tables (DC selector Td in the high
    // nibble, AC selector Ta in the low one).
    class ScanComponent : public Serializable {
    public:
        unsigned char id = 0;
        unsigned char tables = 0;

        unsigned int dcTable() const { return tables >> 4; }
        unsigned int acTable() const { return tables & 15u; }

        void serialize(Serialization& serialization) override;
    };

    JPEGVector<ScanComponent> components;
    unsigned char spectralStart = 0;
    unsigned char spectralEnd = 0;
    // Ah in the high nibble, Al in the low one.
    unsigned char approximation = 0;

    unsigned int approximationHigh() const { return approximation >> 4; }
    unsigned int approximationLow() const { return approximation & 15u; }

    void serialize(Serialization& serialization) override;
};

} // namespace TAVO::Migration::JPEG
