#include "foundation/text/Shrink.h"

namespace TAVO {

void Shrink<char>::filter(char*& text, std::uint32_t& length) {
    if (length < 2)
        return;
    // A leading run keeps its last character, a trailing run its first.
    while (length > 1 && text[0] == c_ && text[1] == c_) {
        ++text;
        --length;
    }
    while (length > 1 && text[length - 1] == c_ && text[length - 2] == c_)
        --length;
    // Writing never overtakes reading, so the text is its own output.
    filter(text, text, length);
}

void Shrink<char>::filter(const char* input, char* output, std::uint32_t& length) {
    const std::uint32_t inputLength = length;
    std::uint32_t written = 0;
    std::uint32_t i = 0;
    while (i < inputLength) {
        const char c = input[i++];
        output[written++] = c;
        if (c == c_) {
            while (i < inputLength && input[i] == c_)
                ++i;
        }
    }
    length = written;
}

} // namespace TAVO
