#include "foundation/exceptions/ExceptionHandler.h"

#include "foundation/exceptions/CppException.h"
#include "foundation/platform/TypeName.h"

namespace TAVO {

void ExceptionHandler::handleStdException(const std::exception& exception, const std::string& context) {
    CppException wrapped(SourceLocation(), exception.what(), TypeName::ofObject(exception));
    handle(wrapped, context);
}

} // namespace TAVO
