#pragma once

#include <cstdint>
#include <string>

namespace TAVO::Migration {

// The type of one image sample: its bit count, its kind and its byte order.
// Text form: "<bits>-bit <kind> <big endian|little endian>", for example
// "8-bit unsigned little endian".
class Value {
public:
    // Kinds of samples; any other value is a custom kind.
    enum Kind : std::uint32_t {
        Unsigned = 0,
        TwoComplement = 1,
        FloatingPoint = 2,
        Boolean = 3,
        FixedPoint = 4,
    };
    // Primitive codes, by which native sample types are chosen.
    enum Primitive : std::uint32_t {
        Int8 = 0,
        UInt8 = 1,
        Int16 = 2,
        UInt16 = 3,
        Int32 = 4,
        UInt32 = 5,
        Float32 = 6,
        Float64 = 7,
        Bit = 8,
        NoPrimitive = 9,
    };

    // 0 bits, unsigned, little-endian.
    Value() = default;
    Value(std::uint32_t bits, std::uint32_t kind, std::uint8_t bigEndian)
        : bits_(bits), kind_(kind), bigEndian_(bigEndian) {}
    // From a primitive code; codes 9 and above set only the byte-order flag.
    explicit Value(std::uint32_t primitive, std::uint8_t bigEndian = 0);

    std::uint32_t bits() const { return bits_; }
    std::uint32_t kind() const { return kind_; }
    std::uint8_t bigEndian() const { return bigEndian_; }
    void setBits(std::uint32_t bits) { bits_ = bits; }
    void setKind(std::uint32_t kind) { kind_ = kind; }
    void setBigEndian(std::uint8_t bigEndian) { bigEndian_ = bigEndian; }

    // The primitive code of this type, 9 (NoPrimitive) when none fits.
    std::uint32_t primitive() const;
    std::string toString() const;
    // The inverse of toString; the whole text must be a type text. Throws
    // ParseException for a text of another form, ConversionException for a
    // bit count that does not fit 32 bits.
    static Value parse(const std::string& text);

    bool operator==(const Value& other) const = default;

private:
    std::uint32_t bits_ = 0;
    std::uint32_t kind_ = Unsigned;
    std::uint8_t bigEndian_ = 0;
};

} // namespace TAVO::Migration
