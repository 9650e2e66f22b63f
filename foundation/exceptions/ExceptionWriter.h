#pragma once

#include <exception>
#include <ostream>
#include <string>

#include "foundation/exceptions/ExceptionHandler.h"
#include "foundation/text/TextWriter.h"
#include "foundation/threads/Mutex.h"

namespace TAVO {

class WriteStream;

// Writes the description of every exception it handles to a stream (not
// owned). Handling is serialised, so several threads may report to one writer.
class ExceptionWriter : public ExceptionHandler {
public:
    explicit ExceptionWriter(WriteStream& stream);

    void handle(const Exception& exception, const std::string& context) override;
    // The number of exceptions handled so far.
    unsigned int count() const;

    // Reports one exception to a standard output stream.
    static void write(std::ostream& out, const Exception& exception, const std::string& context);
    static void write(std::ostream& out, const std::exception& exception, const std::string& context);

private:
    mutable Mutex mutex_;
    TextWriter writer_;
    unsigned int count_ = 0;
};

} // namespace TAVO
