#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A failed path or file operation: "<message> (<path>)". Messages keep their
// own trailing blank, so "Remove failed. " prints two blanks before the
// parenthesis.
class PathException : public Exception {
public:
    PathException(SourceLocation location, std::string path, std::string message)
        : Exception(location), path_(std::move(path)), message_(std::move(message)) {}

    void print(std::ostream& out) const override { out << message_ << " (" << path_ << ")"; }
    Exception* clone() const override { return new PathException(*this); }

    const std::string& path() const { return path_; }
    const std::string& text() const { return message_; }

private:
    std::string path_;
    std::string message_;
};

} // namespace TAVO
