#include "model/BoundedSerialization.h"

#include <algorithm>
#include <string>

#include "foundation/serialization/Deserializer.h"
#include "model/TableException.h"

std::uint32_t BoundedSerialization::count(TAVO::Serialization& serialization, std::size_t size, std::uint32_t limit,
                                          const char* what) {
    if (!serialization.reading())
        return TAVO::serializeCount(serialization, size);
    unsigned int stored = 0;
    // A reader that knows the bytes left refuses a count beyond them.
    if (auto* reader = dynamic_cast<TAVO::Deserializer*>(&serialization))
        stored = reader->readLength();
    else
        serialization.serialize(stored);
    if (stored > limit)
        throw TableException(TAVO::SourceLocation(), "The stored table counts " + std::to_string(stored) + " " +
                                                         what + ", more than the " + std::to_string(limit) +
                                                         " it can hold. ");
    return stored;
}

void BoundedSerialization::numbers(TAVO::Serialization& serialization, std::vector<unsigned int>& list,
                                   std::uint32_t limit, const char* what) {
    const std::uint32_t n = count(serialization, list.size(), limit, what);
    if (serialization.reading()) {
        list.clear();
        // Grown as the values arrive where the reader could not check the count.
        list.reserve(std::min<std::uint32_t>(n, 65536));
        for (std::uint32_t i = 0; i < n; ++i) {
            unsigned int value = 0;
            serialization.serialize(value);
            list.push_back(value);
        }
        return;
    }
    for (unsigned int& value : list)
        serialization.serialize(value);
}

void BoundedSerialization::checkAscending(const std::vector<unsigned int>& keys, const char* what) {
    for (std::size_t i = 1; i < keys.size(); ++i)
        if (keys[i] <= keys[i - 1])
            throw TableException(TAVO::SourceLocation(), std::string("The stored ids of the ") + what +
                                                             " are not in ascending order (" +
                                                             std::to_string(keys[i - 1]) + " before " +
                                                             std::to_string(keys[i]) + "). ");
}
