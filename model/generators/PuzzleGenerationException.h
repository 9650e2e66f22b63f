#pragma once

#include <string>

#include "foundation/exceptions/WhatException.h"

// A generator could not cut the puzzle; the message says why.
class PuzzleGenerationException : public TAVO::WhatException {
public:
    PuzzleGenerationException(TAVO::SourceLocation location, std::string message)
        : WhatException(location, std::move(message)) {}

    TAVO::Exception* clone() const override { return new PuzzleGenerationException(*this); }
};
