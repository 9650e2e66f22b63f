// Memory handed back to the system inside a live allocation: the system's
// own count of resident pages (mincore) tells what went back.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "foundation/platform/NativeMemory.h"

using TAVO::NativeMemory;

namespace {

// The resident pages among `pages` pages from the page-aligned address.
std::size_t residentPages(unsigned char* at, std::size_t pages) {
    std::unique_ptr<unsigned char[]> flags(new unsigned char[pages]);
    if (mincore(at, pages * NativeMemory::pageSize(), flags.get()) != 0)
        return ~std::size_t(0);
    std::size_t resident = 0;
    for (std::size_t i = 0; i < pages; ++i)
        resident += flags[i] & 1;
    return resident;
}

} // namespace

TEST(NativeMemory, TheWholePagesOfTheRangeGoBackAndTheRestKeepsItsBytes) {
    const std::size_t page = NativeMemory::pageSize();
    const std::size_t pages = 64;
    std::unique_ptr<unsigned char[]> block(new unsigned char[(pages + 2) * page]);
    // A page-aligned region inside the allocation, written through.
    const std::uintptr_t aligned = (std::uintptr_t(block.get()) + page - 1) / page * page;
    unsigned char* const region = reinterpret_cast<unsigned char*>(aligned);
    std::memset(region, 0xAB, pages * page);
    ASSERT_EQ(residentPages(region, pages), pages);

    // From the middle of page 2 to the middle of page 40: pages 3 to 39 go.
    const std::size_t from = 2 * page + page / 2, to = 40 * page + page / 2;
    NativeMemory::discard(region + from, to - from);
    EXPECT_EQ(residentPages(region, pages), pages - 37);
    EXPECT_EQ(residentPages(region, 3), 3u);
    EXPECT_EQ(residentPages(region + 40 * page, pages - 40), pages - 40);
    // The pages only touched keep every byte, those beyond too.
    for (std::size_t i = 0; i < 3 * page; ++i)
        ASSERT_EQ(region[i], 0xAB) << i;
    for (std::size_t i = 40 * page; i < pages * page; ++i)
        ASSERT_EQ(region[i], 0xAB) << i;
    // The pages that went back are usable again.
    std::memset(region + 3 * page, 0x5C, 37 * page);
    EXPECT_EQ(region[3 * page], 0x5C);
    EXPECT_EQ(region[40 * page - 1], 0x5C);
}

TEST(NativeMemory, RangesWithinOnePageOrEmptyLeaveEverything) {
    const std::size_t page = NativeMemory::pageSize();
    std::unique_ptr<unsigned char[]> block(new unsigned char[4 * page]);
    const std::uintptr_t aligned = (std::uintptr_t(block.get()) + page - 1) / page * page;
    unsigned char* const region = reinterpret_cast<unsigned char*>(aligned);
    std::memset(region, 0x11, 2 * page);
    NativeMemory::discard(region + 1, page);
    NativeMemory::discard(region + page / 2, page - 1);
    NativeMemory::discard(region, 0);
    NativeMemory::discard(nullptr, 0);
    EXPECT_EQ(residentPages(region, 2), 2u);
    for (std::size_t i = 0; i < 2 * page; ++i)
        ASSERT_EQ(region[i], 0x11) << i;
}
