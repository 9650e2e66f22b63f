#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "Failed to acquire <resource>. "
class AcquireException : public Exception {
public:
    AcquireException(SourceLocation location, std::string resource)
        : Exception(location), resource_(std::move(resource)) {}

    void print(std::ostream& out) const override { out << "Failed to acquire " << resource_ << ". "; }
    Exception* clone() const override { return new AcquireException(*this); }

private:
    std::string resource_;
};

} // namespace TAVO
