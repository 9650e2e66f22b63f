#include "imaging/Value.h"

#include <memory>
#include <sstream>

#include "foundation/exceptions/ParseException.h"
#include "foundation/text/Match.h"
#include "foundation/text/Text.h"

namespace TAVO::Migration {

namespace {

using M = Match<char>;

constexpr std::uint32_t bitsId = 0;
constexpr std::uint32_t kindId = 1;
constexpr std::uint32_t orderId = 2;

std::unique_ptr<M::Pattern> fixed(const char* text, std::uint32_t captureId = M::noCapture) {
    return std::make_unique<M::Fixed>(text, std::uint32_t(std::char_traits<char>::length(text)), captureId);
}

std::unique_ptr<M::Pattern> buildGrammar() {
    auto kinds = std::make_unique<M::Disjunction>(kindId);
    for (const char* word : {"unsigned", "two complement", "floating point", "boolean", "fixed point"})
        kinds->append(fixed(word));
    auto orders = std::make_unique<M::Disjunction>(orderId);
    orders->append(fixed("big endian"));
    orders->append(fixed("little endian"));
    auto grammar = std::make_unique<M::Sequence>();
    grammar->append(std::make_unique<M::Repeat>(std::make_unique<M::Range>('0', '9'), 0,
                                                MatchRepeatConstants::unbounded, bitsId));
    grammar->append(fixed("-bit "));
    grammar->append(std::move(kinds));
    grammar->append(std::make_unique<M::Symbol>(' '));
    grammar->append(std::move(orders));
    // A type text is the whole text: nothing may follow the byte order.
    grammar->append(std::make_unique<M::End>());
    return grammar;
}

// Built once, on first use; afterwards only read.
const M::Pattern& grammar() {
    static const std::unique_ptr<M::Pattern> pattern = buildGrammar();
    return *pattern;
}

std::string captured(M::Captures& captures, std::uint32_t id) {
    const M::Capture& capture = captures.singleCapture(id);
    return std::string(capture.begin, capture.length);
}

} // namespace

Value::Value(std::uint32_t primitive, std::uint8_t bigEndian) : bigEndian_(bigEndian) {
    static const struct {
        std::uint32_t bits;
        std::uint32_t kind;
    } table[] = {{8, TwoComplement}, {8, Unsigned},  {16, TwoComplement}, {16, Unsigned}, {32, TwoComplement},
                 {32, Unsigned},     {32, FloatingPoint}, {64, FloatingPoint}, {1, Boolean}};
    if (primitive < NoPrimitive) {
        bits_ = table[primitive].bits;
        kind_ = table[primitive].kind;
    }
}

std::uint32_t Value::primitive() const {
    switch (kind_) {
    case Unsigned:
        if (bits_ <= 8)
            return UInt8;
        if (bits_ <= 16)
            return UInt16;
        if (bits_ <= 32)
            return UInt32;
        return NoPrimitive;
    case TwoComplement:
        if (bits_ <= 8)
            return Int8;
        if (bits_ <= 16)
            return Int16;
        if (bits_ <= 32)
            return Int32;
        return NoPrimitive;
    case FloatingPoint:
        if (bits_ <= 32)
            return Float32;
        if (bits_ <= 64)
            return Float64;
        return NoPrimitive;
    case Boolean:
        return Bit;
    default:
        return NoPrimitive;
    }
}

std::string Value::toString() const {
    std::ostringstream out;
    out << bits_ << "-bit ";
    switch (kind_) {
    case Unsigned: out << "unsigned"; break;
    case TwoComplement: out << "two complement"; break;
    case FloatingPoint: out << "floating point"; break;
    case Boolean: out << "boolean"; break;
    case FixedPoint: out << "fixed point"; break;
    default: out << "custom"; break;
    }
    out << ' ' << (bigEndian_ ? "big endian" : "little endian");
    return out.str();
}

Value Value::parse(const std::string& text) {
    if (text.size() > 0xFFFFFFFFull)
        throw ParseException(SourceLocation(), text, Value());
    M matcher(grammar());
    if (!matcher.run(text.data(), std::uint32_t(text.size())))
        throw ParseException(SourceLocation(), text, Value());
    M::Captures captures(matcher);
    const std::string digits = captured(captures, bitsId);
    const std::string kindText = captured(captures, kindId);
    const std::string orderText = captured(captures, orderId);

    Value value;
    value.bits_ = Text::parseUnsigned(digits);
    if (kindText == "unsigned")
        value.kind_ = Unsigned;
    else if (kindText == "two complement")
        value.kind_ = TwoComplement;
    else if (kindText == "floating point")
        value.kind_ = FloatingPoint;
    else if (kindText == "fixed point")
        value.kind_ = FixedPoint;
    else if (kindText == "boolean")
        value.kind_ = Boolean;
    else
        throw ParseException(SourceLocation(), kindText,
                             "unsigned | two complement | floating point | fixed point | boolean");
    if (orderText == "big endian")
        value.bigEndian_ = 1;
    else if (orderText == "little endian")
        value.bigEndian_ = 0;
    else
        throw ParseException(SourceLocation(), orderText, "big endian | small endian");
    return value;
}

} // namespace TAVO::Migration
