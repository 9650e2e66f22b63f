#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO::Text {

// A text that could not become a number: "Failed to convert \"<text>\" to <type>."
class ConversionException : public Exception {
public:
    ConversionException(SourceLocation location, std::string text, const char* type)
        : Exception(location), text_(std::move(text)), type_(type) {}

    void print(std::ostream& out) const override {
        out << "Failed to convert \"" << text_ << "\" to " << type_ << ".";
    }
    Exception* clone() const override { return new ConversionException(*this); }

    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::string type_;
};

} // namespace TAVO::Text
