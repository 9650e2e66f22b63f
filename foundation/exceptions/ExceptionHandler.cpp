#include "foundation/exceptions/ExceptionHandler.h"

#include "foundation/exceptions/CppException.h"
#include "foundation/platform/TypeName.h"
#include "foundation/text/TextWriter.h"

namespace TAVO {

void ExceptionHandler::handleStdException(const std::exception& exception, const std::string& context) {
    CppException wrapped(SourceLocation(), exception.what(), TypeName::ofObject(exception));
    handle(wrapped, context);
}

void ExceptionHandler::describe(TextWriter& writer, const Exception& exception, const std::string& context) {
    if (!context.empty())
        writer << "context: " << context << "> ";
    writer << exception.describe();
}

} // namespace TAVO
