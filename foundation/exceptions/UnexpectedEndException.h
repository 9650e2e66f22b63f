#pragma once

#include <string>
#include <utility>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// Data that ended too early: "Unexpected end, expected <what>."
class UnexpectedEndException : public Exception {
public:
    UnexpectedEndException(SourceLocation location, std::string expected)
        : Exception(location), expected_(std::move(expected)) {}
    void print(std::ostream& out) const override { out << "Unexpected end, expected " << expected_ << "."; }
    Exception* clone() const override { return new UnexpectedEndException(*this); }
    const std::string& expected() const { return expected_; }

private:
    std::string expected_;
};

} // namespace TAVO
