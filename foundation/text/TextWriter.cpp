#include "foundation/text/TextWriter.h"

#include <cstring>
#include <sstream>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/WriteStream.h"

namespace TAVO {

TextWriter& TextWriter::operator<<(const std::string& text) {
    stream_->write(text.data(), text.size());
    return *this;
}

TextWriter& TextWriter::operator<<(const char* text) {
    stream_->write(text, std::strlen(text));
    return *this;
}

TextWriter& TextWriter::operator<<(char c) {
    stream_->write(&c, 1);
    return *this;
}

template <class T>
TextWriter& TextWriter::writeNumber(T value) {
    std::ostringstream out;
    out << value;
    return *this << out.str();
}

TextWriter& TextWriter::operator<<(int value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(unsigned int value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(long value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(unsigned long value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(long long value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(unsigned long long value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(float value) { return writeNumber(value); }
TextWriter& TextWriter::operator<<(double value) { return writeNumber(value); }

TextWriter& TextWriter::operator<<(Special special) {
    switch (special) {
    case LineEnd:
        return *this << lineEnd_;
    case Tab:
        return *this << '\t';
    case Flush:
        stream_->flush();
        return *this;
    }
    throw UnexpectedValueException(SourceLocation(), std::to_string(std::uint32_t(special)),
                                   "a known special text sequence");
}

const char* TextWriter::lineEndText(std::uint32_t kind) {
    switch (kind) {
    case CR:
        return "\r";
    case CRLF:
        return "\r\n";
    default:
        return "\n";
    }
}

} // namespace TAVO
