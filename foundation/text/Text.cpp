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

} // namespace TAVO::Text
