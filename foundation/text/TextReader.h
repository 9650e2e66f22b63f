#pragma once

#include <cstdint>
#include <string>

#include "foundation/streams/IncrementalBuffer.h"

namespace TAVO {

class DynamicBuffer;
class ReadStream;

// Reads blank-separated tokens from a read stream (not owned).
class TextReader {
public:
    explicit TextReader(ReadStream& stream) : stream_(stream) {}

    // The next token: the bytes before the next delimiter (blank, tab, line
    // feed, carriage return, zero byte), which is consumed. Empty tokens are
    // skipped. The end of the stream also ends a token; with no token left the
    // stream's read fails with its exception.
    TextReader& operator>>(std::string& token);
    // A token read as a number; a token that is not wholly one throws
    // Text::ConversionException with the token and the type's name.
    TextReader& operator>>(int& value);
    TextReader& operator>>(unsigned int& value);
    TextReader& operator>>(float& value);
    TextReader& operator>>(double& value);

    // Empties the buffer, then appends bytes until one equal to a terminator
    // byte has been read (it stays as the buffer's last byte); returns the
    // matching entry of the terminator list. A count of 0 throws UnexpectedValueException.
    static const char* readUntil(ReadStream& stream, DynamicBuffer& buffer, const char* terminators,
                                 std::uint32_t count);

private:
    template <class T>
    TextReader& readNumber(T& value);

    ReadStream& stream_;
    IncrementalBuffer token_;
};

} // namespace TAVO
