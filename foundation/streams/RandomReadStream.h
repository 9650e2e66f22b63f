#pragma once

#include "foundation/streams/RandomStream.h"
#include "foundation/streams/ReadStream.h"

namespace TAVO {

class RandomReadStream : public virtual ReadStream, public virtual RandomStream {};

} // namespace TAVO
