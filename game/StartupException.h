#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/exceptions/Exception.h"

// A failure of start-up placed in the file where it was met: the file, the
// line (0 when the failure is not on one line) and the exception that was
// thrown there, kept as it is for the log. Its message is the place, ": " and
// the cause's message: "settings.txt, line 2: ...".
class StartupException : public TAVO::Exception {
public:
    StartupException(TAVO::SourceLocation location, std::string file, std::uint32_t line,
                     const TAVO::Exception& cause);
    StartupException(const StartupException& other);
    StartupException& operator=(const StartupException&) = delete;

    void print(std::ostream& out) const override;
    TAVO::Exception* clone() const override { return new StartupException(*this); }

    const std::string& file() const { return file_; }
    std::uint32_t line() const { return line_; }
    // "file" or "file, line N".
    std::string place() const;
    const TAVO::Exception& cause() const { return *cause_; }

private:
    std::string file_;
    std::uint32_t line_;
    std::unique_ptr<TAVO::Exception> cause_;
};
