#pragma once

#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO::IK::SDLGL {

// A shader program that could not be built: the stage that failed ("loading",
// "compilation", "link warnings", ...) and its detail (an entry path or the
// driver's log). "Shader error: <stage>", then "(<detail>)" when there is one.
class ShaderBuildException : public Exception {
public:
    ShaderBuildException(SourceLocation location, std::string stage, std::string detail)
        : Exception(location), stage_(std::move(stage)), detail_(std::move(detail)) {}

    void print(std::ostream& out) const override {
        out << "Shader error: " << stage_;
        if (!detail_.empty())
            out << '(' << detail_ << ')';
    }
    Exception* clone() const override { return new ShaderBuildException(*this); }

    const std::string& stage() const { return stage_; }
    const std::string& detail() const { return detail_; }

private:
    std::string stage_;
    std::string detail_;
};

} // namespace TAVO::IK::SDLGL
