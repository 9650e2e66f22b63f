#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "foundation/serialization/STLVectorSerializable.h"
#include "foundation/serialization/Serialization.h"

// The stored containers of a table, read with every count checked before
// anything is allocated: a count beyond the bytes left in the stream (where
// the reader knows them) or beyond the caller's limit throws TableException
// naming what was counted. Written forms are the plain ones: a 32-bit count,
// then the elements (for maps the ascending keys first, then the values).
class BoundedSerialization {
public:
    static constexpr std::uint32_t unlimited = 0xFFFFFFFFu;

    // Writes the size, or reads a count and checks it.
    static std::uint32_t count(TAVO::Serialization& serialization, std::size_t size, std::uint32_t limit,
                               const char* what);

    // A list of 32-bit numbers. Reading replaces the list.
    static void numbers(TAVO::Serialization& serialization, std::vector<unsigned int>& list, std::uint32_t limit,
                        const char* what);

    // A map by 32-bit key. Reading refuses keys that are not strictly
    // ascending, keeps exactly the stored keys (values already there are read
    // in place) and calls prepare(key, value) before each value is read.
    template <class V, class Prepare>
    static void map(TAVO::Serialization& serialization, std::map<unsigned int, V>& map, std::uint32_t limit,
                    const char* what, Prepare prepare);

private:
    // Throws when the keys are not strictly ascending.
    static void checkAscending(const std::vector<unsigned int>& keys, const char* what);
};

template <class V, class Prepare>
void BoundedSerialization::map(TAVO::Serialization& serialization, std::map<unsigned int, V>& map,
                               std::uint32_t limit, const char* what, Prepare prepare) {
    std::vector<unsigned int> keys;
    if (!serialization.reading()) {
        keys.reserve(map.size());
        for (const auto& entry : map)
            keys.push_back(entry.first);
    }
    numbers(serialization, keys, limit, what);
    if (serialization.reading()) {
        checkAscending(keys, what);
        // Both lists ascend: walk them together and drop what is not stored.
        auto key = keys.begin();
        for (auto it = map.begin(); it != map.end();) {
            while (key != keys.end() && *key < it->first)
                ++key;
            if (key == keys.end() || *key != it->first)
                it = map.erase(it);
            else
                ++it;
        }
    }
    for (unsigned int k : keys) {
        V& value = map[k];
        if (serialization.reading())
            prepare(k, value);
        TAVO::serializeElement(serialization, value);
    }
}
