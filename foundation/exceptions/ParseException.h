#pragma once

#include <string>
#include <type_traits>

#include "foundation/exceptions/Exception.h"
#include "foundation/platform/TypeName.h"

namespace TAVO {

// "String \"<text>\" could not be parsed into \"<target>\". " The target is a
// text, or the type name of the object that was to be filled.
class ParseException : public Exception {
public:
    ParseException(SourceLocation location, std::string text, const char* target)
        : Exception(location), text_(std::move(text)), target_(target) {}

    template <class Target>
        requires(!std::is_convertible_v<const Target&, const char*>)
    ParseException(SourceLocation location, std::string text, const Target& object)
        : Exception(location), text_(std::move(text)), target_(TypeName::ofObject(object)) {}

    void print(std::ostream& out) const override {
        out << "String \"" << text_ << "\" could not be parsed into \"" << target_ << "\". ";
    }
    Exception* clone() const override { return new ParseException(*this); }

    const std::string& text() const { return text_; }
    const std::string& target() const { return target_; }

private:
    std::string text_;
    std::string target_;
};

} // namespace TAVO
