#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "<what> not initialized. "
class UninitializedException : public Exception {
public:
    UninitializedException(SourceLocation location, std::string what)
        : Exception(location), what_(std::move(what)) {}

    void print(std::ostream& out) const override { out << what_ << " not initialized. "; }
    Exception* clone() const override { return new UninitializedException(*this); }

private:
    std::string what_;
};

} // namespace TAVO
