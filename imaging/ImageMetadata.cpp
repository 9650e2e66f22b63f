#include "imaging/ImageMetadata.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/ParseException.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/text/Text.h"

namespace TAVO::Migration {

const char* const ImageMetadata::widthKey = "Width";
const char* const ImageMetadata::heightKey = "Height";
const char* const ImageMetadata::channelsKey = "Channels";
const char* const ImageMetadata::pixelAlignmentKey = "Pixel alignment";
const char* const ImageMetadata::lineAlignmentKey = "Line alignment";
const char* const ImageMetadata::formatKey = "Format";
const char* const ImageMetadata::typeKey = "Type";

std::string ImageMetadata::Format::toString() const {
    switch (code_) {
    case Intensity: return "INTENSITY";
    case RGBA: return "RGBA";
    case BGRA: return "BGRA";
    default: throw UnexpectedValueException(SourceLocation(), Text::toString(code_), "image format descriptor");
    }
}

ImageMetadata::Format ImageMetadata::Format::parse(const std::string& text) {
    if (text == "INTENSITY")
        return Format(Intensity);
    if (text == "RGBA")
        return Format(RGBA);
    if (text == "BGRA")
        return Format(BGRA);
    throw ParseException(SourceLocation(), text, Format());
}

void ImageMetadata::checkSize(std::uint32_t width, std::uint32_t height) {
    if (width == 0)
        throw UnexpectedValueException(SourceLocation(), "image width 0", "a size of at least one pixel");
    if (height == 0)
        throw UnexpectedValueException(SourceLocation(), "image height 0", "a size of at least one pixel");
    if (width > maximumSide)
        throw BoundException<unsigned int>(SourceLocation(), width, maximumSide);
    if (height > maximumSide)
        throw BoundException<unsigned int>(SourceLocation(), height, maximumSide);
    const std::uint64_t pixels = std::uint64_t(width) * height;
    if (pixels > maximumPixels)
        throw BoundException<unsigned long long>(SourceLocation(), pixels, maximumPixels);
}

void ImageMetadata::checkSize(std::uint32_t width, std::uint32_t height, std::uint32_t channels) {
    checkSize(width, height);
    if (channels == 0)
        throw BoundException<unsigned int>(SourceLocation(), channels, 0);
    if (channels > maximumChannels)
        throw BoundException<unsigned int>(SourceLocation(), channels, maximumChannels);
}

ImageMetadata::ImageMetadata(std::uint32_t width, std::uint32_t height, std::uint32_t channels,
                             std::uint32_t bitsPerPixel)
    : width_(width), height_(height), channels_(channels) {
    if (channels == 0)
        throw UnexpectedValueException(SourceLocation(), "0 channels", "a channel count of at least 1");
    type_ = Value(bitsPerPixel / channels, Value::Unsigned, 0);
    format_ = Format(channels >= 3 ? Format::RGBA : Format::Intensity);
}

ImageMetadata::ImageMetadata(const Metadata& other) : Metadata() { Metadata::operator=(other); }

ImageMetadata::ImageMetadata(const ImageMetadata& other) : Metadata() { Metadata::operator=(other); }

ImageMetadata& ImageMetadata::operator=(const ImageMetadata& other) {
    Metadata::operator=(other);
    return *this;
}

void ImageMetadata::set(const std::string& key, const std::string& value) {
    if (key == widthKey)
        width_ = Text::parseUnsigned(value);
    else if (key == heightKey)
        height_ = Text::parseUnsigned(value);
    else if (key == channelsKey)
        channels_ = Text::parseUnsigned(value);
    else if (key == pixelAlignmentKey)
        pixelAlignment_ = Text::parseUnsigned(value);
    else if (key == lineAlignmentKey)
        lineAlignment_ = Text::parseUnsigned(value);
    else if (key == formatKey)
        format_ = Format::parse(value);
    else if (key == typeKey)
        type_ = Value::parse(value);
    else
        Metadata::set(key, value);
}

bool ImageMetadata::typedText(const std::string& key, std::string& text) const {
    if (key == widthKey)
        text = Text::toString(width_);
    else if (key == heightKey)
        text = Text::toString(height_);
    else if (key == channelsKey)
        text = Text::toString(channels_);
    else if (key == pixelAlignmentKey)
        text = Text::toString(pixelAlignment_);
    else if (key == lineAlignmentKey)
        text = Text::toString(lineAlignment_);
    else if (key == formatKey)
        text = format_.toString();
    else if (key == typeKey)
        text = type_.toString();
    else
        return false;
    return true;
}

bool ImageMetadata::has(const std::string& key) const {
    if (key == widthKey || key == heightKey || key == channelsKey || key == pixelAlignmentKey ||
        key == lineAlignmentKey || key == formatKey || key == typeKey)
        return true;
    return Metadata::has(key);
}

std::string ImageMetadata::get(const std::string& key) const {
    std::string text;
    if (typedText(key, text))
        return text;
    return Metadata::get(key);
}

Metadata::Map ImageMetadata::entries() const {
    Map result = map();
    for (const char* key : {widthKey, heightKey, channelsKey, pixelAlignmentKey, lineAlignmentKey, formatKey, typeKey})
        typedText(key, result[key]);
    return result;
}

} // namespace TAVO::Migration
