#include "foundation/text/Parameters.h"

#include <sstream>

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/text/Text.h"

namespace TAVO {

namespace {
template <class T>
std::string formatted(T value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
} // namespace

const std::string& Parameters::get(const std::string& key) const {
    const auto found = map_.find(key);
    if (found == map_.end())
        throw NotFoundException<std::string>(SourceLocation(), key,
                                             static_cast<const std::map<std::string, std::string>&>(map_));
    return found->second;
}

bool Parameters::has(const std::string& key) const { return map_.count(key) != 0; }

void Parameters::set(const std::string& key, const std::string& value) { map_[key] = value; }

void Parameters::set(const std::string& key, const char* value) { set(key, std::string(value)); }

void Parameters::set(const std::string& key, float value) { set(key, formatted(value)); }

void Parameters::setInteger(const std::string& key, long long value) { set(key, formatted(value)); }

void Parameters::setUnsigned(const std::string& key, unsigned long long value) { set(key, formatted(value)); }

unsigned int Parameters::getUnsigned(const std::string& key) const { return Text::parse<unsigned int>(get(key)); }

float Parameters::getFloat(const std::string& key) const { return Text::parse<float>(get(key)); }

long long Parameters::getInt64(const std::string& key) const { return Text::parse<long long>(get(key)); }

void Parameters::serialize(Serialization& serialization) { map_.serialize(serialization); }

bool isParameterTrue(const Parameters& parameters, const std::string& key) {
    return parameters.get(key) == "true";
}

} // namespace TAVO
