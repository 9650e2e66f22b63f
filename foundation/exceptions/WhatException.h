#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// An exception whose whole message is made by the thrower. The base of the
// component exceptions (streams, parameter files, the window framework...).
class WhatException : public Exception {
public:
    WhatException(SourceLocation location, std::string message)
        : Exception(location), message_(std::move(message)) {}

    void print(std::ostream& out) const override { out << message_; }
    Exception* clone() const override { return new WhatException(*this); }

    const std::string& text() const { return message_; }

private:
    std::string message_;
};

} // namespace TAVO
