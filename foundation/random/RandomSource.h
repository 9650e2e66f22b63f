#pragma once

#include <cstdint>

#include "foundation/streams/ReadStream.h"

namespace TAVO {

class Buffer;

// A source of random numbers with typed fills. Every fill writes count values,
// one draw per value, in order. Read as a stream it yields bytes 0 to 254.
class RandomSource : public ReadStream {
public:
    // Fills the bytes through readBytes with modulus 255. A count above
    // 4294967295 throws BoundException<unsigned long long>.
    void read(void* destination, std::uint64_t count) override;
    // Always false: the source never ends.
    bool atEnd() override { return false; }

    // Restarts the sequence from the seed word of the buffer (see seedWord).
    virtual void seed(const Buffer& buffer) = 0;
    virtual void readDouble(double* out, std::uint32_t count, double scale) = 0;
    virtual void readFloat(float* out, std::uint32_t count, float scale) = 0;
    // Values below the modulus; a modulus of 0 throws UnexpectedValueException.
    virtual void readBytes(unsigned char* out, std::uint32_t count, unsigned char modulus) = 0;
    virtual void readChoices(std::uint32_t* out, std::uint32_t count, std::uint32_t modulus) = 0;
    virtual void readWords(std::uint32_t* out, std::uint32_t count) = 0;

    // The largest raw value of the generator.
    std::uint32_t limit() const { return limit_; }

    // The XOR of the buffer's bytes read as little-endian 32-bit words; 1 to 3
    // trailing bytes form the low bytes of one more, zero-extended word.
    static std::uint32_t seedWord(const Buffer& buffer);

protected:
    explicit RandomSource(std::uint32_t limit) : limit_(limit) {}
    static void checkModulus(std::uint32_t modulus);

    std::uint32_t limit_;
};

} // namespace TAVO
