#pragma once

#include <concepts>
#include <string>

#include "foundation/serialization/STLMapSerializable.h"

namespace TAVO {

// A string-to-string settings store, ordered by key. Typed setters store
// numbers as the text a default-state standard text stream writes; typed
// readers take a value only when all of its text is a number of their type.
class Parameters : public Serializable {
public:
    using Map = STLMapSerializable<std::string, std::string>;

    // The stored value; a missing key throws NotFoundException<std::string>.
    const std::string& get(const std::string& key) const;
    bool has(const std::string& key) const;

    // Inserts or replaces.
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, const char* value);
    // Integers in plain decimal, with '-' for negatives.
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    void set(const std::string& key, T value) {
        if constexpr (std::is_signed_v<T>)
            setInteger(key, static_cast<long long>(value));
        else
            setUnsigned(key, static_cast<unsigned long long>(value));
    }
    // At most 6 significant digits, as a standard text stream writes by default.
    void set(const std::string& key, float value);
    // "1" would not read back as an on/off setting: write "true" or "false" as text.
    template <std::same_as<bool> T>
    void set(const std::string& key, T value) = delete;

    // The value as an unsigned 32-bit, float or signed 64-bit number. A missing
    // key throws as get does; a value that is not wholly such a number throws
    // Text::ConversionException with the value and the type's name.
    unsigned int getUnsigned(const std::string& key) const;
    float getFloat(const std::string& key) const;
    long long getInt64(const std::string& key) const;

    // Removes every entry.
    void clear() { map_.clear(); }
    const Map& map() const { return map_; }

    void serialize(Serialization& serialization) override;

private:
    void setInteger(const std::string& key, long long value);
    void setUnsigned(const std::string& key, unsigned long long value);

    Map map_;
};

// True exactly when the key's value is the four characters "true". A missing
// key throws NotFoundException<std::string>.
bool isParameterTrue(const Parameters& parameters, const std::string& key);

} // namespace TAVO
