#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/PartMeshSet.h"

namespace KestruneTest {

// Every part's draw ranges as (part, first, count), parts in id order.
inline std::vector<std::array<std::uint32_t, 3>> rangesOf(const PartMeshSet& meshes) {
    std::vector<std::array<std::uint32_t, 3>> all;
    for (const auto& [part, ranges] : meshes.ranges())
        for (const PartMeshSet::DrawRange& range : ranges)
            all.push_back({part, range.first, range.count});
    return all;
}

} // namespace KestruneTest
