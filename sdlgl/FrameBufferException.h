#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO::IK::SDLGL {

// Failures of frame buffers that are not complete; the message is the thrower's.
class FrameBufferException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new FrameBufferException(*this); }
};

} // namespace TAVO::IK::SDLGL
