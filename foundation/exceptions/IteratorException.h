#pragma once

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// "Invalid iterator. "
class IteratorException : public Exception {
public:
    explicit IteratorException(SourceLocation location) : Exception(location) {}
    void print(std::ostream& out) const override { out << "Invalid iterator. "; }
    Exception* clone() const override { return new IteratorException(*this); }
};

} // namespace TAVO
