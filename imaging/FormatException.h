#pragma once

#include <string>
#include <utility>

#include "foundation/exceptions/Exception.h"

namespace TAVO::Migration {

// Malformed data met by a codec: "<format> : <message>", where the format is
// a word such as "jpeg", "png", "deflate" or "NetPBM".
class FormatException : public Exception {
public:
    FormatException(SourceLocation location, std::string format, std::string message)
        : Exception(location), format_(std::move(format)), message_(std::move(message)) {}
    void print(std::ostream& out) const override { out << format_ << " : " << message_; }
    Exception* clone() const override { return new FormatException(*this); }
    const std::string& format() const { return format_; }
    const std::string& text() const { return message_; }

private:
    std::string format_;
    std::string message_;
};

} // namespace TAVO::Migration
