#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO::IK::SDLGL {

// Failures of shader and program objects and of their attribute and uniform
// look-ups; the message is the thrower's.
class ShaderException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new ShaderException(*this); }
};

} // namespace TAVO::IK::SDLGL
