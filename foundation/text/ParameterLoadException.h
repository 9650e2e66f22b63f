#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO {

// A parameter file that does not follow the key = value line format.
class ParameterLoadException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new ParameterLoadException(*this); }
};

} // namespace TAVO
