#pragma once

#include <ostream>
#include <string>
#include <type_traits>

#include "foundation/exceptions/SourceLocation.h"

namespace TAVO {

// The root of every error the system throws. An exception holds only the data
// of its failure and composes its message when printed.
class Exception {
public:
    explicit Exception(SourceLocation location) : location_(location) {}
    virtual ~Exception() = default;

    // Writes the message text, and nothing else.
    virtual void print(std::ostream& out) const = 0;
    // A heap copy of the same dynamic type, owned by the caller.
    virtual Exception* clone() const = 0;

    const SourceLocation& location() const { return location_; }

    // The message alone, as print writes it.
    std::string message() const;
    // The whole printed form: "TAVO ", the class name, ": ", the message and a line feed.
    std::string describe() const;

private:
    SourceLocation location_;
};

// Prints "TAVO <class>[ (<file>, <line> )]: <message>\n" and flushes.
std::ostream& operator<<(std::ostream& out, const Exception& exception);

// Writes a value of an exception the way a standard text stream inserts it;
// enumerations print as their integer value.
template <class T>
void printValue(std::ostream& out, const T& value) {
    if constexpr (std::is_enum_v<T>)
        out << static_cast<long long>(value);
    else
        out << value;
}

} // namespace TAVO
