#pragma once

#include <cstddef>

namespace TAVO {

// Memory handed back to the system while the allocation that holds it lives on.
class NativeMemory {
public:
    // The whole pages within the bytes from data on are handed back: they
    // cost no memory until they are written again, and what they held is
    // lost (on reading they hold zeros). The bytes of pages the range only
    // touches stay as they are. For memory nothing reads again before it is
    // freed or written anew.
    static void discard(void* data, std::size_t bytes);
    // The system's page size in bytes.
    static std::size_t pageSize();
};

} // namespace TAVO
