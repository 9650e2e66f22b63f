#include "foundation/random/RandomSource.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/Buffer.h"

namespace TAVO {

void RandomSource::read(void* destination, std::uint64_t count) {
    if (count > 0xFFFFFFFFull)
        throw BoundException<unsigned long long>(SourceLocation(), count, 0xFFFFFFFFull);
    readBytes(static_cast<unsigned char*>(destination), static_cast<std::uint32_t>(count), 255);
}

std::uint32_t RandomSource::seedWord(const Buffer& buffer) {
    const std::uint8_t* bytes = buffer.data();
    const std::uint32_t size = buffer.size();
    std::uint32_t word = 0;
    for (std::uint32_t i = 0; i < size; ++i)
        word ^= std::uint32_t(bytes[i]) << (8 * (i % 4));
    return word;
}

void RandomSource::checkModulus(std::uint32_t modulus) {
    if (modulus == 0)
        throw UnexpectedValueException(SourceLocation(), "A modulus of 0", "a modulus of at least 1");
}

} // namespace TAVO
