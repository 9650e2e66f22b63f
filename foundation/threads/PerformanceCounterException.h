#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO {

// The high-resolution counter could not be read: "counter" or "frequency".
class PerformanceCounterException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new PerformanceCounterException(*this); }
};

} // namespace TAVO
