#include "imaging/codecs/jpeg/ScanHeader.h"

namespace TAVO::Migration::JPEG {

void ScanHeader::ScanComponent::serialize(Serialization& serialization) {
    serialization.serialize(id).serialize(tables);
}

void ScanHeader::serialize(Serialization& serialization) {
    serialization.serialize(components);
    serialization.serialize(spectralStart).serialize(spectralEnd).serialize(approximation);
}

} // namespace TAVO::Migration::JPEG
