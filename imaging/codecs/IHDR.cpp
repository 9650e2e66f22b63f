#include "imaging/codecs/IHDR.h"

#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::PNG {

void IHDR::serialize(Serialization& serialization) {
    serialization.serialize(width)
        .serialize(height)
        .serialize(bitDepth)
        .serialize(colorType)
        .serialize(compressionMethod)
        .serialize(filterMethod)
        .serialize(interlaceMethod);
}

} // namespace TAVO::Migration::PNG
