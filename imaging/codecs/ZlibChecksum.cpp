#include "imaging/codecs/ZlibChecksum.h"

#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::PNG {

void ZlibChecksum::serialize(Serialization& serialization) { serialization.serialize(adler); }

} // namespace TAVO::Migration::PNG
