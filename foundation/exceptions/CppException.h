#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A standard-library exception wrapped into the family: "Wrapped C++ exception (<type>): <what>"
class CppException : public Exception {
public:
    CppException(SourceLocation location, std::string whatText, std::string typeName)
        : Exception(location), what_(std::move(whatText)), type_(std::move(typeName)) {}

    void print(std::ostream& out) const override { out << "Wrapped C++ exception (" << type_ << "): " << what_; }
    Exception* clone() const override { return new CppException(*this); }

private:
    std::string what_;
    std::string type_;
};

} // namespace TAVO
