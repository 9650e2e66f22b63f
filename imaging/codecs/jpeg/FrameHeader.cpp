#include "imaging/codecs/jpeg/FrameHeader.h"

namespace TAVO::Migration::JPEG {

void FrameHeader::ImageComponent::serialize(Serialization& serialization) {
    serialization.serialize(id).serialize(sampling).serialize(quantizationTable);
}

void FrameHeader::serialize(Serialization& serialization) {
    serialization.serialize(precision).serialize(height).serialize(width);
    serialization.serialize(components);
}

} // namespace TAVO::Migration::JPEG
