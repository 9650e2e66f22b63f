#pragma once

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A value beyond its bound: "Value (v) out of bound (b). "
template <class T>
class BoundException : public Exception {
public:
    BoundException(SourceLocation location, T value, T bound)
        : Exception(location), value_(value), bound_(bound) {}

    void print(std::ostream& out) const override {
        out << "Value (";
        printValue(out, value_);
        out << ") out of bound (";
        printValue(out, bound_);
        out << "). ";
    }
    Exception* clone() const override { return new BoundException(*this); }

    T value() const { return value_; }
    T bound() const { return bound_; }

private:
    T value_;
    T bound_;
};

} // namespace TAVO
