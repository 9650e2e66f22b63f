#include "foundation/platform/NativeFileReadStream.h"

#include <algorithm>
#include <cstring>

#include "foundation/platform/NativeFile.h"
#include "foundation/streams/StreamException.h"

namespace TAVO {

void NativeFileReadStream::read(void* destination, std::uint64_t count) {
    if (count == 0)
        return;
    const auto fail = [] { throw StreamException(SourceLocation(), "Failed to read from input stream. "); };
    if (count >= window) {
        if (!file_.readAt(position_, destination, count))
            fail();
        position_ += count;
        return;
    }
    const bool held = aheadGeneration_ == file_.generation() && position_ >= aheadStart_ &&
                      position_ - aheadStart_ + count <= ahead_.size();
    if (!held) {
        ahead_.resize(window);
        ahead_.resize(file_.readSomeAt(position_, ahead_.data(), window));
        aheadStart_ = position_;
        aheadGeneration_ = file_.generation();
        if (count > ahead_.size())
            fail();
    }
    std::memcpy(destination, ahead_.data() + (position_ - aheadStart_), count);
    position_ += count;
}

bool NativeFileReadStream::atEnd() { return position_ >= file_.size(); }

void NativeFileReadStream::seek(std::uint64_t position) { position_ = std::min(position, file_.size()); }

std::uint64_t NativeFileReadStream::size() { return file_.size(); }

} // namespace TAVO
