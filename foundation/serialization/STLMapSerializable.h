#pragma once

#include <map>
#include <set>

#include "foundation/serialization/STLVectorSerializable.h"

namespace TAVO {

// An ordered map that serializes itself: the key count (32-bit), every key in
// key order, then every value in the same order. Reading keeps exactly the
// keys of the stream; a value already under a key is read in place.
template <class K, class V>
class STLMapSerializable : public Serializable, public std::map<K, V> {
public:
    using std::map<K, V>::map;
    STLMapSerializable() = default;
    STLMapSerializable(const std::map<K, V>& other) : std::map<K, V>(other) {}

    void serialize(Serialization& serialization) override {
        STLVectorSerializable<K> keys;
        keys.reserve(this->size());
        for (const auto& entry : *this)
            keys.push_back(entry.first);
        keys.serialize(serialization);

        if (serialization.reading()) {
            const std::set<K> kept(keys.begin(), keys.end());
            for (auto it = this->begin(); it != this->end();) {
                if (kept.count(it->first) == 0)
                    it = this->erase(it);
                else
                    ++it;
            }
        }
        for (const K& key : keys)
            serializeElement(serialization, (*this)[key]);
    }
};

} // namespace TAVO
