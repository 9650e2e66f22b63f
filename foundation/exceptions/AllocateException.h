#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "Failed to allocate <what>. "
class AllocateException : public Exception {
public:
    AllocateException(SourceLocation location, std::string what)
        : Exception(location), what_(std::move(what)) {}

    void print(std::ostream& out) const override { out << "Failed to allocate " << what_ << ". "; }
    Exception* clone() const override { return new AllocateException(*this); }

private:
    std::string what_;
};

} // namespace TAVO
