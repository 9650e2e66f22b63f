#pragma once

#include <string>

#include "foundation/exceptions/ExceptionHandler.h"

namespace TAVO {

class Log;

// Writes every exception it handles as one entry of a log (not owned); the
// log's own lock serialises entries of different threads. The description
// is made printable (Text::printable) but for its closing line feed, so that
// bytes a message quotes from a file never reach the log as they are.
class ExceptionLogger : public ExceptionHandler {
public:
    explicit ExceptionLogger(Log& log) : log_(log) {}

    void handle(const Exception& exception, const std::string& context) override;

private:
    Log& log_;
};

} // namespace TAVO
