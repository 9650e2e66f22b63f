#include "imaging/codecs/jpeg/InputBuffer.h"

#include <algorithm>

#include "foundation/streams/RandomStream.h"

namespace TAVO::Migration::JPEG {

namespace {

RandomStream* seekableOf(ReadStream& source) {
    auto* random = dynamic_cast<RandomStream*>(&source);
    return random != nullptr && random->seekable() ? random : nullptr;
}

} // namespace

InputBuffer::InputBuffer(ReadStream& source)
    : source_(source), random_(seekableOf(source)), storage_(random_ ? chunk : 2) {}

bool InputBuffer::refill(std::uint32_t count) {
    if (position_ > 0) {
        std::memmove(storage_.data(), storage_.data() + position_, end_ - position_);
        end_ -= position_;
        position_ = 0;
    }
    if (random_ != nullptr) {
        const std::uint64_t size = random_->size();
        const std::uint64_t at = random_->tell();
        const std::uint64_t left = size > at ? size - at : 0;
        const std::uint64_t take = std::min<std::uint64_t>(left, storage_.size() - end_);
        if (take > 0) {
            source_.read(storage_.data() + end_, take);
            end_ += take;
        }
    } else {
        while (end_ < count && !source_.atEnd()) {
            source_.read(storage_.data() + end_, 1);
            ++end_;
        }
    }
    return end_ >= count;
}

void InputBuffer::read(void* destination, std::uint64_t count) {
    if (count == 0)
        return;
    auto* target = static_cast<std::uint8_t*>(destination);
    const std::size_t buffered = std::min<std::uint64_t>(count, end_ - position_);
    std::memcpy(target, current(), buffered);
    position_ += buffered;
    count -= buffered;
    target += buffered;
    // The rest comes straight from the source, which fails as it does when
    // too few bytes are left.
    if (count > 0)
        source_.read(target, count);
}

void InputBuffer::release() {
    if (random_ != nullptr && position_ < end_)
        random_->seek(random_->tell() - (end_ - position_));
    position_ = end_ = 0;
}

} // namespace TAVO::Migration::JPEG
