#include "imaging/Picture.h"

#include "foundation/exceptions/UninitializedException.h"
#include "imaging/ImageLayout.h"
#include "imaging/ImageSignal.h"
#include "imaging/SignalBorrow.h"
#include "imaging/SignalOperations.h"

using namespace TAVO;
using TAVO::Migration::ImageLayout;
using TAVO::Migration::ImageMetadata;
using TAVO::Migration::ImageSignal;

Picture::Picture(const Vector<2, unsigned int>& size) : content_(std::make_shared<Content>()) {
    content_->metadata = ImageMetadata(size[0], size[1], 3, 24);
    const ImageLayout layout(content_->metadata);
    const std::uint64_t bytes = std::uint64_t(layout.bytesPerRow()) * size[1];
    content_->buffer.setSize(std::uint32_t(bytes));
    std::uint8_t* data = content_->buffer.data();
    for (std::uint32_t i = 0; i < content_->buffer.size(); ++i)
        data[i] = std::uint8_t(i);
}

Picture::Content& Picture::content() const {
    if (!content_)
        content_ = std::make_shared<Content>();
    return *content_;
}

bool Picture::hasPixels() const {
    return content_ && std::uint64_t(content_->metadata.width()) * content_->metadata.height() != 0;
}

void Picture::paste(const Point<2, unsigned int>& position, const Picture& source) {
    if (!hasPixels())
        throw UninitializedException(SourceLocation(), "picture");
    const ImageMetadata& target = metadata();
    // The picture's own bytes, viewed as (channels, width, height).
    ImageSignal<unsigned char> check(target, buffer());
    SignalBorrow<3, unsigned char> into(buffer().data(), check.size());
    ImageSignal<unsigned char> from(source.metadata(), source.buffer());
    const unsigned step = from.size()[0];
    for (unsigned c = 0; c < target.channels(); c += step == 0 ? 1 : step)
        TAVO::paste(into, Tuple<3, int>(int(c), int(position[0]), int(position[1])), from);
}

Picture Picture::rgb() const {
    if (!content_)
        return *this;
    const ImageMetadata& from = content_->metadata;
    const std::uint32_t channels = from.channels();
    if (channels == 3 || channels == 0)
        return *this;
    const std::uint64_t pixels = std::uint64_t(from.width()) * from.height();
    if (std::uint64_t(content_->buffer.size()) < pixels * channels)
        return *this; // not what it claims: let paste report it
    Picture converted;
    converted.metadata() = ImageMetadata(from.width(), from.height(), 3, 24);
    converted.buffer().setSize(std::uint32_t(pixels * 3));
    const std::uint8_t* in = content_->buffer.data();
    std::uint8_t* out = converted.buffer().data();
    for (std::uint64_t p = 0; p < pixels; ++p, in += channels, out += 3) {
        if (channels < 3) {
            out[0] = out[1] = out[2] = in[0];
        } else {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return converted;
}
