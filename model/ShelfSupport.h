#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/serialization/Serializer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "model/Table.h"

// Small helpers the shelf's sources share: its lists of game ids and the
// journal records it appends to a buffer.
namespace ShelfSupport {

inline std::uint32_t indexOf(const std::vector<std::string>& list, const std::string& id) {
    return std::uint32_t(std::find(list.begin(), list.end(), id) - list.begin());
}

inline bool contains(const std::vector<std::string>& list, const std::string& id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

// Serialises an action at the end of the bytes.
inline void appendRecord(TAVO::IncrementalBuffer& bytes, const Table::TypedAction& action) {
    TAVO::BufferStream stream(bytes);
    stream.seek(bytes.size());
    TAVO::Serialization::serialize(action, stream);
}

} // namespace ShelfSupport
