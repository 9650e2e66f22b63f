#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO {

// A mistake in the declaration of command-line arguments; the message is printed unchanged.
class ArgumentProcessingException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new ArgumentProcessingException(*this); }
};

} // namespace TAVO
