#include "imaging/codecs/jpeg/HuffmanTable.h"

#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::JPEG {

void HuffmanTable::serialize(Serialization& serialization) {
    serialization.serialize(classDestination);
    unsigned int total = 0;
    for (unsigned char& count : counts) {
        serialization.serialize(count);
        total += count;
    }
    if (serialization.reading())
        values.resize(total);
    for (unsigned char& value : values)
        serialization.serialize(value);
}

} // namespace TAVO::Migration::JPEG
