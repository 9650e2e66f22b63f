#pragma once

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

// "More space requested (r) than what is available (a). "
template <class T>
class SpaceException : public BoundException<T> {
public:
    SpaceException(SourceLocation location, T requested, T available)
        : BoundException<T>(location, requested, available) {}

    void print(std::ostream& out) const override {
        out << "More space requested (";
        printValue(out, this->value());
        out << ") than what is available (";
        printValue(out, this->bound());
        out << "). ";
    }
    Exception* clone() const override { return new SpaceException(*this); }
};

} // namespace TAVO
