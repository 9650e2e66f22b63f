#include "foundation/platform/NativeMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace TAVO {

std::size_t NativeMemory::pageSize() {
    static const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? std::size_t(size) : 4096;
}

void NativeMemory::discard(void* data, std::size_t bytes) {
    const std::uintptr_t page = pageSize();
    const std::uintptr_t start = std::uintptr_t(data);
    if (bytes < page || start > UINTPTR_MAX - bytes)
        return;
    const std::uintptr_t begin = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + bytes) / page * page;
    // Advice that is not taken leaves the pages as they were: nothing is lost.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

} // namespace TAVO
