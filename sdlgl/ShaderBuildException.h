#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO::IK::SDLGL {

// A shader program that could not be built: the stage that failed ("loading",
// "compilation", "link warnings", ...), its detail (an entry path or the
// driver's log) and, for compilation and linking, the package entries the
// failing sources were read from. "Shader error: <stage>", then " of
// <entries>" when they are known and "(<detail>)" when there is one.
class ShaderBuildException : public Exception {
public:
    ShaderBuildException(SourceLocation location, std::string stage, std::string detail, std::string entries = "")
        : Exception(location), stage_(std::move(stage)), detail_(std::move(detail)), entries_(std::move(entries)) {}

    void print(std::ostream& out) const override {
        out << "Shader error: " << stage_;
        if (!entries_.empty())
            out << " of " << entries_;
        if (!detail_.empty())
            out << '(' << detail_ << ')';
    }
    Exception* clone() const override { return new ShaderBuildException(*this); }

    const std::string& stage() const { return stage_; }
    const std::string& detail() const { return detail_; }
    // The entries joined with ", "; empty for sources given as text.
    const std::string& entries() const { return entries_; }

private:
    std::string stage_;
    std::string detail_;
    std::string entries_;
};

} // namespace TAVO::IK::SDLGL
