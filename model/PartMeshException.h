#pragma once

#include <string>

#include "foundation/exceptions/WhatException.h"

// A piece outline could not be cut into triangles; the message names it.
class PartMeshException : public TAVO::WhatException {
public:
    PartMeshException(TAVO::SourceLocation location, std::string message)
        : WhatException(location, std::move(message)) {}

    TAVO::Exception* clone() const override { return new PartMeshException(*this); }
};
