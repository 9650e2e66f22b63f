#pragma once

#include <exception>
#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

class TextWriter;

// Receives exceptions that escape a thread or a step of the main program.
class ExceptionHandler {
public:
    virtual ~ExceptionHandler() = default;

    // context: a short text saying where the exception came from; may be empty.
    virtual void handle(const Exception& exception, const std::string& context) = 0;

    // Wraps a standard-library exception into a CppException and handles it.
    void handleStdException(const std::exception& exception, const std::string& context);

    // Writes "context: <context>> " (only when the context is not empty), then
    // the printed exception, which ends in a line feed.
    static void describe(TextWriter& writer, const Exception& exception, const std::string& context);
};

} // namespace TAVO
