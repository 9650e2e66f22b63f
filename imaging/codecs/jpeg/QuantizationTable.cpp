#include "imaging/codecs/jpeg/QuantizationTable.h"

#include "foundation/exceptions/SupportException.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::JPEG {

void QuantizationTable::serialize(Serialization& serialization) {
    serialization.serialize(precisionDestination);
    if (precision() != 0)
        throw SupportException(SourceLocation(), "JPEG with other than 8-bit quantization table precision");
    for (unsigned char& value : values)
        serialization.serialize(value);
}

} // namespace TAVO::Migration::JPEG
