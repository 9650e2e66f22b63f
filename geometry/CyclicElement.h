#pragma once

#include <cstdint>
#include <vector>

// The element at (n + offset) modulo n of a closed ring of n values, so that
// offsets from -n upward reach the neighbours before and after a position.
// Any offset is taken modulo n; an empty ring throws TAVO::UnexpectedValueException.
std::uint32_t cyclicElement(const std::vector<std::uint32_t>& ring, std::int32_t offset);
