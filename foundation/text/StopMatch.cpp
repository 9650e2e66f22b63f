#include "foundation/text/StopMatch.h"

#include "foundation/exceptions/UninitializedException.h"

namespace TAVO {

StopMatch<char>::StopMatch(std::unique_ptr<Match<char>::Pattern> pattern) : pattern_(std::move(pattern)) {
    if (!pattern_)
        throw UninitializedException(SourceLocation(), "stop pattern");
    matcher_.setPattern(*pattern_);
}

std::uint32_t StopMatch<char>::matchAt(const char* text, std::uint32_t remaining) {
    return matcher_.run(text, remaining) ? matcher_.length() : 0;
}

void StopMatch<char>::filter(const char* input, char* output, std::uint32_t& length) {
    const char* read = input;
    std::uint32_t remaining = length;
    std::uint32_t written = 0;
    while (remaining > 0) {
        const std::uint32_t skip = matchAt(read, remaining);
        if (skip == 0) {
            // Writing never overtakes reading, so the output may be the input.
            output[written++] = *read;
            ++read;
            --remaining;
        } else {
            read += skip;
            remaining -= skip;
        }
    }
    length = written;
}

void StopMatch<char>::filter(char*& text, std::uint32_t& length) {
    // Matches at the start only move the start forward.
    for (;;) {
        const std::uint32_t skip = length > 0 ? matchAt(text, length) : 0;
        if (skip == 0)
            break;
        text += skip;
        length -= skip;
    }
    // The rest is filtered in place; output never overtakes input.
    if (length > 1) {
        std::uint32_t rest = length - 1;
        filter(text + 1, text + 1, rest);
        length = rest + 1;
    }
}

} // namespace TAVO
