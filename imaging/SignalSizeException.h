#pragma once

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// Two signals whose sizes had to agree do not: "Missmatching signal size. "
class SignalSizeException : public Exception {
public:
    explicit SignalSizeException(SourceLocation location) : Exception(location) {}
    void print(std::ostream& out) const override { out << "Missmatching signal size. "; }
    Exception* clone() const override { return new SignalSizeException(*this); }
};

} // namespace TAVO
