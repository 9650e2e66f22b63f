#pragma once

#include <cstdint>
#include <string>

namespace TAVO {

class TextWriter;

// Writes words to a text writer (not owned), breaking lines before a word that
// does not fit in the width and starting every new line with the indent.
class TextWrapper {
public:
    // The column says how much of the current line is already used. The width
    // must exceed the indent's length, else BoundException<unsigned int>(indent length, width).
    TextWrapper(TextWriter& writer, std::string indent, std::uint32_t width, std::uint32_t column);

    // Writes the text at the current column; a text longer than a fresh
    // indented line is cut into pieces.
    void write(const std::string& text);
    // Writes each blank-separated piece followed by one blank.
    void writeWords(const std::string& text);

    std::uint32_t column() const { return column_; }

private:
    void writeFitting(const std::string& text);

    TextWriter& writer_;
    std::string indent_;
    std::uint32_t width_;
    std::uint32_t column_;
};

} // namespace TAVO
