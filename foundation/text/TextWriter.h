#pragma once

#include <cstdint>
#include <string>

namespace TAVO {

class WriteStream;

// Text output over a write stream (not owned) with a configurable line end.
// Every insertion returns the writer, so writes chain.
class TextWriter {
public:
    // Special items.
    enum Special : std::uint32_t {
        LineEnd = 0, // the writer's line-end text
        Tab = 1,     // "\t"
        Flush = 2,   // flushes the stream
    };

    // Line-end kinds; any other value means "\n".
    enum LineEndKind : std::uint32_t {
        LF = 0,   // "\n"
        CR = 1,   // "\r"
        CRLF = 2, // "\r\n"
    };

    explicit TextWriter(WriteStream& stream) : stream_(&stream) {}

    TextWriter& operator<<(const std::string& text);
    TextWriter& operator<<(const char* text);
    TextWriter& operator<<(char c);
    // Numbers as a default-state standard text stream formats them (decimal;
    // floating point with 6 significant digits).
    TextWriter& operator<<(int value);
    TextWriter& operator<<(unsigned int value);
    TextWriter& operator<<(long value);
    TextWriter& operator<<(unsigned long value);
    TextWriter& operator<<(long long value);
    TextWriter& operator<<(unsigned long long value);
    TextWriter& operator<<(float value);
    TextWriter& operator<<(double value);
    // Throws UnexpectedValueException for a value that is no known item.
    TextWriter& operator<<(Special special);

    void setLineEnd(std::uint32_t kind) { lineEnd_ = lineEndText(kind); }
    const std::string& lineEnd() const { return lineEnd_; }
    static const char* lineEndText(std::uint32_t kind);

    WriteStream& stream() const { return *stream_; }

private:
    template <class T>
    TextWriter& writeNumber(T value);

    WriteStream* stream_;
    std::string lineEnd_ = "\n";
};

} // namespace TAVO
