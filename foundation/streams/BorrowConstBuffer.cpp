#include "foundation/streams/BorrowConstBuffer.h"

#include "foundation/exceptions/AccessException.h"

namespace TAVO {

namespace {
[[noreturn]] void refuseWrite() {
    throw AccessException(SourceLocation(), "buffer fully", "it is const");
}
} // namespace

std::uint8_t* BorrowConstBuffer::data() { refuseWrite(); }
std::uint8_t* BorrowConstBuffer::data(std::uint32_t) { refuseWrite(); }
std::uint8_t* BorrowConstBuffer::data(std::uint32_t, std::uint32_t) { refuseWrite(); }

} // namespace TAVO
