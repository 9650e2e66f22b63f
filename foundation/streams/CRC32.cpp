#include "foundation/streams/CRC32.h"

#include "foundation/streams/Buffer.h"

namespace TAVO {

namespace {

std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[n] = c;
    }
    return table;
}

const std::array<std::uint32_t, 256>& sharedTable() {
    static const std::array<std::uint32_t, 256> table = makeTable();
    return table;
}

} // namespace

CRC32::CRC32() : table_(sharedTable()) {}

void CRC32::update(const Buffer& buffer) {
    update(buffer.data(), buffer.size());
}

void CRC32::update(const void* bytes, std::uint64_t count) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t r = register_;
    for (std::uint64_t i = 0; i < count; ++i)
        r = (r >> 8) ^ table_[(r ^ p[i]) & 0xFF];
    register_ = r;
}

std::uint32_t CRC32::of(const void* bytes, std::uint64_t count) {
    CRC32 crc;
    crc.reset(0xFFFFFFFFu);
    crc.update(bytes, count);
    return ~crc.value();
}

} // namespace TAVO
