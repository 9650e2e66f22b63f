#pragma once

#include <exception>
#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// Receives exceptions that escape a thread or a step of the main program.
class ExceptionHandler {
public:
    virtual ~ExceptionHandler() = default;

    // context: a short text saying where the exception came from; may be empty.
    virtual void handle(const Exception& exception, const std::string& context) = 0;

    // Wraps a standard-library exception into a CppException and handles it.
    void handleStdException(const std::exception& exception, const std::string& context);
};

} // namespace TAVO
