#include "game/StartupException.h"

#include <ostream>

StartupException::StartupException(TAVO::SourceLocation location, std::string file, std::uint32_t line,
                                   const TAVO::Exception& cause)
    : Exception(location), file_(std::move(file)), line_(line), cause_(cause.clone()) {}

StartupException::StartupException(const StartupException& other)
    : Exception(other), file_(other.file_), line_(other.line_), cause_(other.cause_->clone()) {}

void StartupException::print(std::ostream& out) const {
    out << place() << ": ";
    cause_->print(out);
}

std::string StartupException::place() const {
    if (line_ == 0)
        return file_;
    return file_ + ", line " + std::to_string(line_);
}
