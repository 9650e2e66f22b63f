#pragma once

#include "foundation/streams/RandomReadStream.h"
#include "foundation/streams/RandomWriteStream.h"

namespace TAVO {

// Reading, writing and a position. The bases are virtual, so the stream holds
// one RandomStream and converts to it without ambiguity.
class RandomReadWriteStream : public virtual RandomReadStream, public virtual RandomWriteStream {};

} // namespace TAVO
