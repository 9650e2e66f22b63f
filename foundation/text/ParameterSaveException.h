#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO {

// A parameter entry that the file format cannot hold as it is: saved, it
// would load back changed or not at all.
class ParameterSaveException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new ParameterSaveException(*this); }
};

} // namespace TAVO
