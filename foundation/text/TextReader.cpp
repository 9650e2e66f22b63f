#include "foundation/text/TextReader.h"

#include <cstring>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/text/Text.h"

namespace TAVO {

namespace {
bool isDelimiter(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0'; }
} // namespace

TextReader& TextReader::operator>>(std::string& token) {
    token_.clear();
    for (;;) {
        // A last token need not be followed by a delimiter.
        if (token_.size() > 0 && stream_.atEnd())
            break;
        char c;
        stream_.read(&c, 1);
        if (isDelimiter(c)) {
            if (token_.size() > 0)
                break;
            continue;
        }
        token_.append(&c, 1);
    }
    token.assign(reinterpret_cast<const char*>(token_.data()), token_.size());
    return *this;
}

template <class T>
TextReader& TextReader::readNumber(T& value) {
    std::string token;
    *this >> token;
    value = Text::parse<T>(token);
    return *this;
}

TextReader& TextReader::operator>>(int& value) { return readNumber(value); }
TextReader& TextReader::operator>>(unsigned int& value) { return readNumber(value); }
TextReader& TextReader::operator>>(float& value) { return readNumber(value); }
TextReader& TextReader::operator>>(double& value) { return readNumber(value); }

const char* TextReader::readUntil(ReadStream& stream, DynamicBuffer& buffer, const char* terminators,
                                  std::uint32_t count) {
    if (count == 0)
        throw UnexpectedValueException(SourceLocation(), "0", "a usable count of terminator bytes");
    buffer.clear();
    for (;;) {
        char c;
        stream.read(&c, 1);
        buffer.append(&c, 1);
        const void* found = std::memchr(terminators, c, count);
        if (found != nullptr)
            return static_cast<const char*>(found);
    }
}

} // namespace TAVO
