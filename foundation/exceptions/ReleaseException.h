#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A failed release. It prints the same words as AcquireException: "Failed to acquire <resource>. "
class ReleaseException : public Exception {
public:
    ReleaseException(SourceLocation location, std::string resource)
        : Exception(location), resource_(std::move(resource)) {}

    void print(std::ostream& out) const override { out << "Failed to acquire " << resource_ << ". "; }
    Exception* clone() const override { return new ReleaseException(*this); }

private:
    std::string resource_;
};

} // namespace TAVO
