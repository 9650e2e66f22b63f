#pragma once

#include <string>

#include "foundation/exceptions/WhatException.h"

// A table, or an action applied to it, breaks the table's rules (a damaged or
// hostile saved game); the message says what is wrong.
class TableException : public TAVO::WhatException {
public:
    TableException(TAVO::SourceLocation location, std::string message)
        : WhatException(location, std::move(message)) {}

    TAVO::Exception* clone() const override { return new TableException(*this); }
};
