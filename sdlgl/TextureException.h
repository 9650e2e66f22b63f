#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO::IK::SDLGL {

// Failures of texture uploads the framework refuses; the message is the thrower's.
class TextureException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new TextureException(*this); }
};

} // namespace TAVO::IK::SDLGL
