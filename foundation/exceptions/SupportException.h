#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "No support for <feature>. "
class SupportException : public Exception {
public:
    SupportException(SourceLocation location, std::string feature)
        : Exception(location), feature_(std::move(feature)) {}

    void print(std::ostream& out) const override { out << "No support for " << feature_ << ". "; }
    Exception* clone() const override { return new SupportException(*this); }

private:
    std::string feature_;
};

} // namespace TAVO
