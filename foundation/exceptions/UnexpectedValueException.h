#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "<value> is not <expected>. "
class UnexpectedValueException : public Exception {
public:
    UnexpectedValueException(SourceLocation location, std::string value, std::string expected)
        : Exception(location), value_(std::move(value)), expected_(std::move(expected)) {}

    void print(std::ostream& out) const override { out << value_ << " is not " << expected_ << ". "; }
    Exception* clone() const override { return new UnexpectedValueException(*this); }

private:
    std::string value_;
    std::string expected_;
};

} // namespace TAVO
