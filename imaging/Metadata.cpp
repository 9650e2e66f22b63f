#include "imaging/Metadata.h"

#include "foundation/exceptions/NotFoundException.h"

namespace TAVO::Migration {

Metadata::Metadata(const Metadata& other) : STLMapSerializable<std::string, std::string>() { *this = other; }

Metadata& Metadata::operator=(const Metadata& other) {
    if (this == &other)
        return *this;
    const Map source = other.entries();
    for (const auto& [key, value] : source)
        set(key, value);
    return *this;
}

void Metadata::serialize(Serialization& serialization) {
    STLMapSerializable<std::string, std::string> copy(entries());
    copy.serialize(serialization);
    if (serialization.reading()) {
        for (const auto& [key, value] : copy)
            set(key, value);
    }
}

void Metadata::set(const std::string& key, const std::string& value) { map()[key] = value; }

bool Metadata::has(const std::string& key) const { return map().count(key) != 0; }

std::string Metadata::get(const std::string& key) const {
    const auto found = map().find(key);
    if (found == map().end())
        throw NotFoundException<std::string>(SourceLocation(), key, static_cast<const Map&>(*this));
    return found->second;
}

Metadata::Map Metadata::entries() const { return map(); }

} // namespace TAVO::Migration
