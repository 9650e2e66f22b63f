#pragma once

#include <cstdint>
#include <string>

#include "foundation/exceptions/Exception.h"

namespace TAVO::IK::SDLGL {

// A failed SDL call: its result code and SDL's error text at the time.
// "SDL error (<code>) - <text>", or "SDL error - <text>" for code 0 (a call
// that returned a null pointer).
class SDLException : public Exception {
public:
    // Takes the text from SDL_GetError.
    SDLException(SourceLocation location, std::int32_t code);
    SDLException(SourceLocation location, std::int32_t code, std::string text)
        : Exception(location), code_(code), text_(std::move(text)) {}

    void print(std::ostream& out) const override;
    Exception* clone() const override { return new SDLException(*this); }

    std::int32_t code() const { return code_; }
    const std::string& text() const { return text_; }

private:
    std::int32_t code_;
    std::string text_;
};

} // namespace TAVO::IK::SDLGL
