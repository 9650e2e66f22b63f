#pragma once

#include "foundation/streams/WriteStream.h"

namespace TAVO {

// Counts the bytes written and drops them: how the serialized size of a record
// is learnt without writing it.
class SizeMeasureWriteStream : public WriteStream {
public:
    void write(const void*, std::uint64_t count) override { count_ += count; }
    std::uint64_t count() const { return count_; }

private:
    std::uint64_t count_ = 0;
};

} // namespace TAVO
