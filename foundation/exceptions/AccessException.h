#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "Failed to access <what> because <reason>. "
class AccessException : public Exception {
public:
    AccessException(SourceLocation location, std::string what, std::string reason)
        : Exception(location), what_(std::move(what)), reason_(std::move(reason)) {}

    void print(std::ostream& out) const override { out << "Failed to access " << what_ << " because " << reason_ << ". "; }
    Exception* clone() const override { return new AccessException(*this); }

private:
    std::string what_;
    std::string reason_;
};

} // namespace TAVO
