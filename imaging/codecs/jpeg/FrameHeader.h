#pragma once

#include "foundation/serialization/Serializable.h"
#include "imaging/codecs/jpeg/JPEGVector.h"

namespace TAVO::Migration::JPEG {

// The body of a start-of-frame segment (SOF0, SOF2): sample precision, size
// and the frame's components. Multi-byte fields are big-endian on the wire, so
// it is read through a byte-swapping serialization.
class FrameHeader : public Serializable {
public:
    // One component: its id, sampling factors (horizontal H in the high
    // nibble, vertical V in the low one) and quantization table selector.
    class ImageComponent : public Serializable {
    public:
        unsigned char id = 0;
        unsigned char sampling = 0;
        unsigned char quantizationTable = 0;

        unsigned int horizontalSampling() const { return sampling >> 4; }
        unsigned int verticalSampling() const { return sampling & 15u; }

        void serialize(Serialization& serialization) override;
    };

    unsigned char precision = 0;
    unsigned short width = 0;
    unsigned short height = 0;
    JPEGVector<ImageComponent> components;

    // Wire order: precision, height, width, component count, components.
    void serialize(Serialization& serialization) override;
};

} // namespace TAVO::Migration::JPEG
