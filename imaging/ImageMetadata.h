#pragma once

#include <cstdint>
#include <string>

#include "imaging/Metadata.h"
#include "imaging/Value.h"

namespace TAVO::Migration {

// The description of an image's pixel bytes. Seven keys are kept as typed
// fields ("Width", "Height", "Channels", "Pixel alignment", "Line alignment",
// "Format", "Type"); every other key lives in the map.
//
// The image model also fixes the largest image any codec may produce or
// accept (see checkSize): decoders call it before they allocate pixels.
class ImageMetadata : public Metadata {
public:
    // The channel order of a pixel: 0 "INTENSITY" (grey, or grey and alpha),
    // 1 "RGBA", 2 "BGRA". Any code can be held; only these three have a text.
    class Format {
    public:
        enum Code : std::uint32_t { Intensity = 0, RGBA = 1, BGRA = 2 };

        Format(std::uint32_t code = Intensity) : code_(code) {}
        std::uint32_t code() const { return code_; }
        operator std::uint32_t() const { return code_; }
        // Throws UnexpectedValueException (the code, "image format descriptor")
        // for a code without a word.
        std::string toString() const;
        // Exactly "INTENSITY", "RGBA" or "BGRA"; otherwise ParseException.
        static Format parse(const std::string& text);

    private:
        std::uint32_t code_;
    };

    // Limits of the image model.
    static constexpr std::uint32_t maximumSide = 16384;
    static constexpr std::uint64_t maximumPixels = std::uint64_t(1) << 28;
    static constexpr std::uint32_t maximumChannels = 256;
    // Refuses an image size the model does not hold: a side of 0 throws
    // UnexpectedValueException, a side above maximumSide
    // BoundException<unsigned int>(side, maximumSide), and more pixels than
    // maximumPixels BoundException<unsigned long long>(pixels, maximumPixels).
    static void checkSize(std::uint32_t width, std::uint32_t height);
    // The same, and a channel count of 0 or above maximumChannels throws
    // BoundException<unsigned int> (channels, 0 or maximumChannels).
    static void checkSize(std::uint32_t width, std::uint32_t height, std::uint32_t channels);

    // Every field 0: no size, no channels, 0-bit unsigned little-endian
    // samples, no alignments, "INTENSITY".
    ImageMetadata() = default;
    // Unsigned little-endian samples of bitsPerPixel / channels bits, no
    // alignments, "RGBA" with three channels or more, else "INTENSITY".
    // Channels 0 throws UnexpectedValueException.
    ImageMetadata(std::uint32_t width, std::uint32_t height, std::uint32_t channels, std::uint32_t bitsPerPixel);
    // Default fields and an empty map, then every entry of the source handed to set.
    ImageMetadata(const Metadata& other);
    ImageMetadata(const ImageMetadata& other);
    using Metadata::operator=;
    ImageMetadata& operator=(const ImageMetadata& other);

    void set(const std::string& key, const std::string& value) override;
    bool has(const std::string& key) const override;
    std::string get(const std::string& key) const override;
    Map entries() const override;

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    std::uint32_t channels() const { return channels_; }
    const Value& type() const { return type_; }
    std::uint32_t pixelAlignment() const { return pixelAlignment_; }
    std::uint32_t lineAlignment() const { return lineAlignment_; }
    Format format() const { return format_; }

    void setWidth(std::uint32_t width) { width_ = width; }
    void setHeight(std::uint32_t height) { height_ = height; }
    void setChannels(std::uint32_t channels) { channels_ = channels; }
    void setType(const Value& type) { type_ = type; }
    void setPixelAlignment(std::uint32_t bits) { pixelAlignment_ = bits; }
    void setLineAlignment(std::uint32_t bits) { lineAlignment_ = bits; }
    void setFormat(Format format) { format_ = format; }

    // The text keys of the typed fields.
    static const char* const widthKey;
    static const char* const heightKey;
    static const char* const channelsKey;
    static const char* const pixelAlignmentKey;
    static const char* const lineAlignmentKey;
    static const char* const formatKey;
    static const char* const typeKey;

private:
    // The field text of a typed key; false for any other key.
    bool typedText(const std::string& key, std::string& text) const;

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t channels_ = 0;
    Value type_;
    std::uint32_t pixelAlignment_ = 0;
    std::uint32_t lineAlignment_ = 0;
    Format format_;
};

} // namespace TAVO::Migration
