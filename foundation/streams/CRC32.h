#pragma once

#include <array>
#include <cstdint>

namespace TAVO {

class Buffer;

// The CRC-32 of zlib, gzip and PNG (reflected polynomial 0xEDB88320). The
// caller sets the starting value and complements the result:
//     crc.reset(0xFFFFFFFF); crc.update(...); checksum = ~crc.value();
class CRC32 {
public:
    CRC32();

    void reset(std::uint32_t value) { register_ = value; }
    void update(const Buffer& buffer);
    void update(const void* bytes, std::uint64_t count);
    std::uint32_t value() const { return register_; }

    // The checksum of some bytes in one call.
    static std::uint32_t of(const void* bytes, std::uint64_t count);

private:
    const std::array<std::uint32_t, 256>& table_;
    std::uint32_t register_ = 0;
};

} // namespace TAVO
