#pragma once

#include "foundation/streams/RandomStream.h"
#include "foundation/streams/WriteStream.h"

namespace TAVO {

class RandomWriteStream : public virtual WriteStream, public virtual RandomStream {};

} // namespace TAVO
