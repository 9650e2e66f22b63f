#include "foundation/streams/StreamPump.h"

#include <algorithm>
#include <limits>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/WriteStream.h"

namespace TAVO {

StreamPump::StreamPump(std::uint32_t chunkSize, ReadStream* source, WriteStream* sink)
    : source_(source), sink_(sink), chunk_(chunkSize, chunkSize) {
    // A chunk of 0 bytes would never make progress.
    if (chunkSize == 0)
        throw UnexpectedValueException(SourceLocation(), "0", "a usable chunk size");
}

void StreamPump::check() const {
    if (source_ == nullptr)
        throw UninitializedException(SourceLocation(), "Stream pump source");
    if (sink_ == nullptr)
        throw UninitializedException(SourceLocation(), "Stream pump sink");
}

void StreamPump::pump(std::uint64_t count) {
    check();
    const std::uint32_t chunk = chunk_.size();
    while (count >= chunk) {
        source_->read(chunk_.data(), chunk);
        sink_->write(chunk_.data(), chunk);
        count -= chunk;
    }
    if (count > 0) {
        source_->read(chunk_.data(), count);
        sink_->write(chunk_.data(), count);
    }
}

void StreamPump::pumpAll() {
    check();
    const std::uint32_t chunk = chunk_.size();
    for (;;) {
        const std::uint64_t left = source_->remaining();
        std::uint32_t filled = 0;
        if (left != std::numeric_limits<std::uint64_t>::max()) {
            // The source knows its size: fill whole chunks at once.
            filled = std::uint32_t(std::min<std::uint64_t>(left, chunk));
            if (filled > 0)
                source_->read(chunk_.data(), filled);
        } else {
            filled = std::uint32_t(source_->readAtMost(chunk_.data(), chunk));
        }
        if (filled == 0)
            return;
        sink_->write(chunk_.data(), filled);
    }
}

} // namespace TAVO
