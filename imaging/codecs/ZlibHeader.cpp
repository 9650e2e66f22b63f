#include "imaging/codecs/ZlibHeader.h"

#include "foundation/serialization/Serialization.h"

namespace TAVO::Migration::PNG {

void ZlibHeader::serialize(Serialization& serialization) { serialization.serialize(cmf).serialize(flg); }

} // namespace TAVO::Migration::PNG
