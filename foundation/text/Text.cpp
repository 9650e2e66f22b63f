#include "foundation/text/Text.h"

#include <cctype>
#include <sstream>
#include <type_traits>

#include "foundation/platform/TypeName.h"
#include "foundation/text/ConversionException.h"

namespace TAVO::Text {

std::string toString(unsigned int value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

template <class T>
bool parseWhole(const std::string& text, T& value) {
    std::istringstream in(text);
    if constexpr (std::is_unsigned_v<T>) {
        // The stream would wrap "-5" around to a huge number.
        in >> std::ws;
        if (in.peek() == '-')
            return false;
    }
    T read{};
    in >> read;
    if (in.fail())
        return false;
    if (in.peek() != std::istringstream::traits_type::eof())
        return false;
    value = read;
    return true;
}

template <class T>
T parse(const std::string& text) {
    T value{};
    if (!parseWhole(text, value))
        throw ConversionException(SourceLocation(), text, TypeName::of<T>().c_str());
    return value;
}

template bool parseWhole<int>(const std::string&, int&);
template bool parseWhole<unsigned int>(const std::string&, unsigned int&);
template bool parseWhole<long long>(const std::string&, long long&);
template bool parseWhole<unsigned long long>(const std::string&, unsigned long long&);
template bool parseWhole<float>(const std::string&, float&);
template bool parseWhole<double>(const std::string&, double&);

template int parse<int>(const std::string&);
template unsigned int parse<unsigned int>(const std::string&);
template long long parse<long long>(const std::string&);
template unsigned long long parse<unsigned long long>(const std::string&);
template float parse<float>(const std::string&);
template double parse<double>(const std::string&);

unsigned int parseUnsigned(const std::string& text) { return parse<unsigned int>(text); }

void toLower(std::string& text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
}

void toUpper(std::string& text) {
    for (char& c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
}

std::string hexText(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    char buffer[8];
    int count = 0;
    do {
        buffer[count++] = digits[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    std::string text;
    while (count > 0)
        text += buffer[--count];
    return text;
}

namespace {

// The length of the well-formed UTF-8 character of two or more bytes that
// starts at `at`, or 0 when there is none.
std::size_t characterLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    // The control characters U+0080 to U+009F.
    if (lead == 0xC2 && byte(at + 1) <= 0x9F)
        return 0;
    return length;
}

void appendEscaped(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default:
        out += "\\x";
        out += digits[c >> 4];
        out += digits[c & 0xFu];
    }
}

} // namespace

std::string printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += char(c);
            ++i;
            continue;
        }
        const std::size_t length = c >= 0x80 ? characterLength(text, i) : 0;
        if (length == 0) {
            appendEscaped(out, c);
            ++i;
            continue;
        }
        out.append(text, i, length);
        i += length;
    }
    return out;
}

std::string clause(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

} // namespace TAVO::Text
