#pragma once

#include "foundation/exceptions/WhatException.h"

namespace TAVO::Migration {

// Samples were asked for before the header that describes them was read.
class InsufficientMetaException : public WhatException {
public:
    using WhatException::WhatException;
    Exception* clone() const override { return new InsufficientMetaException(*this); }
};

} // namespace TAVO::Migration
