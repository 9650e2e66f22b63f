#pragma once

#include <vector>

#include "foundation/streams/RandomReadStream.h"

namespace TAVO {

class NativeFile;

// A read view of an open file (not owned) with a position of its own. Small
// reads are served from a window read ahead, dropped whenever the file is written.
class NativeFileReadStream : public RandomReadStream {
public:
    explicit NativeFileReadStream(NativeFile& file) : file_(file) {}

    void read(void* destination, std::uint64_t count) override;
    bool atEnd() override;
    using RandomStream::seek;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return position_; }
    std::uint64_t size() override;

private:
    static constexpr std::uint64_t window = 65536;

    NativeFile& file_;
    std::uint64_t position_ = 0;
    std::vector<char> ahead_;
    std::uint64_t aheadStart_ = 0;
    std::uint64_t aheadGeneration_ = ~0ull;
};

} // namespace TAVO
