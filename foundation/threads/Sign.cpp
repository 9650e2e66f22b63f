#include "foundation/threads/Sign.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/serialization/Serialization.h"

namespace TAVO {

namespace {
void check(int value) {
    if (value < -1)
        throw BoundException<int>(SourceLocation(), value, -1);
    if (value > 1)
        throw BoundException<int>(SourceLocation(), value, 1);
}
} // namespace

Sign::Sign(int value) : value_(value) {
    check(value);
}

void Sign::serialize(Serialization& serialization) {
    int value = value_;
    serialization.serialize(value);
    if (serialization.reading()) {
        check(value);
        value_ = value;
    }
}

} // namespace TAVO
