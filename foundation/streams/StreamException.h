#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO {

// Every stream failure; the message is the thrower's.
class StreamException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new StreamException(*this); }
};

} // namespace TAVO
