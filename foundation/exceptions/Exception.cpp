#include "foundation/exceptions/Exception.h"

#include <sstream>

#include "foundation/platform/TypeName.h"

namespace TAVO {

std::string Exception::message() const {
    std::ostringstream out;
    print(out);
    return out.str();
}

std::string Exception::describe() const {
    std::ostringstream out;
    out << *this;
    return out.str();
}

std::ostream& operator<<(std::ostream& out, const Exception& exception) {
    out << "TAVO " << TypeName::ofObject(exception);
    const SourceLocation& location = exception.location();
    if (location.present())
        out << " (" << location.file << ", " << location.line << " )";
    out << ": ";
    exception.print(out);
    out << '\n';
    out.flush();
    return out;
}

} // namespace TAVO
