#pragma once

#include <cstdint>
#include <string>

namespace TAVO::Text {

// Decimal text of a number.
std::string toString(unsigned int value);

// Reads the whole text as an unsigned decimal number; leading white space is
// skipped. A text with anything after the digits, a sign '-', or a number
// beyond 32 bits throws ConversionException(text, "unsigned int").
unsigned int parseUnsigned(const std::string& text);

// Reads the whole text as a T with a default-state input text stream (leading
// white space skipped). False when the read fails, leaves characters behind,
// or, for unsigned types, the text starts with a minus sign. Available for
// int, unsigned int, long long, unsigned long long, float and double.
template <class T>
bool parseWhole(const std::string& text, T& value);

// The same, throwing ConversionException with the text and the type's name.
template <class T>
T parse(const std::string& text);

// Case conversion in place, byte by byte; only the ASCII letters change, so
// UTF-8 texts stay intact.
void toLower(std::string& text);
void toUpper(std::string& text);

// The value in lower-case hexadecimal digits, without prefix or leading zeros
// (0 gives "0").
std::string hexText(std::uint32_t value);

// The text as one printable line, for messages that quote bytes from outside
// (a file's content, a file name): line feed, carriage return and tab become
// "\n", "\r" and "\t", every other control byte and every byte that is not
// part of a well-formed UTF-8 character becomes "\x" and two lower-case hex
// digits (the bell 0x07 gives "\x07"). Printable ASCII, the backslash
// included, and well-formed UTF-8 characters outside the control ranges stay
// as they are.
std::string printable(const std::string& text);

// A message made to stand inside a sentence: without the closing blanks and
// full stops that exception messages end with ("Disk full. " gives
// "Disk full").
std::string clause(std::string text);

} // namespace TAVO::Text
