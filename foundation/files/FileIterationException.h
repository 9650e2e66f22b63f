#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO {

// A folder listing that failed: "File iteration error[ (<detail>)]. "
class FileIterationException : public Exception {
public:
    FileIterationException(SourceLocation location, std::string detail)
        : Exception(location), detail_(std::move(detail)) {}

    void print(std::ostream& out) const override {
        out << "File iteration error";
        if (!detail_.empty())
            out << " (" << detail_ << ")";
        out << ". ";
    }
    Exception* clone() const override { return new FileIterationException(*this); }

    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

} // namespace TAVO
