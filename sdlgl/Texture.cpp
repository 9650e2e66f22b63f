#include "sdlgl/Texture.h"

#include <sstream>

#include "foundation/exceptions/SpaceException.h"
#include "foundation/exceptions/SupportException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/streams/DynamicBuffer.h"
#include "imaging/ImageMetadata.h"
#include "sdlgl/Checks.h"
#include "sdlgl/TextureException.h"

namespace TAVO::IK::SDLGL {

using Migration::ImageMetadata;
using Migration::Value;

namespace {

[[noreturn]] void refuse(const std::string& text) { throw TextureException(SourceLocation(), text); }

GLenum pixelFormat(const ImageMetadata& metadata) {
    const std::uint32_t format = metadata.format();
    switch (metadata.channels()) {
    case 1:
        if (format != ImageMetadata::Format::Intensity)
            refuse("Only intensity supported if one channel. ");
        return GL_LUMINANCE;
    case 3:
        if (format == ImageMetadata::Format::RGBA)
            return GL_RGB;
        if (format == ImageMetadata::Format::BGRA)
            return GL_BGR;
        refuse("Only RGB and BGR supported if three channels. ");
    case 4:
        if (format == ImageMetadata::Format::RGBA)
            return GL_RGBA;
        if (format == ImageMetadata::Format::BGRA)
            return GL_BGRA;
        refuse("Only RGBA and BGRA supported if four channels. ");
    default:
        refuse("Unsupported number of channels. ");
    }
}

GLenum pixelType(const Value& type) {
    // Exact sizes only: a 4-bit sample must not pass as a byte.
    const std::uint32_t bits = type.bits();
    if (type.kind() == Value::Unsigned) {
        if (bits == 8)
            return GL_UNSIGNED_BYTE;
        if (bits == 16)
            return GL_UNSIGNED_SHORT;
        if (bits == 32)
            return GL_UNSIGNED_INT;
    } else if (type.kind() == Value::TwoComplement) {
        if (bits == 8)
            return GL_BYTE;
        if (bits == 16)
            return GL_SHORT;
        if (bits == 32)
            return GL_INT;
    } else if (type.kind() == Value::FloatingPoint && bits == 32) {
        return GL_FLOAT;
    }
    refuse("Unsupported type: " + type.toString());
}

// The channel count and the transfer format of a level's internal format as
// drivers report it back, for the formats uploads and render targets make.
bool readableFormat(GLint internalFormat, std::uint32_t& channels, GLenum& format) {
    switch (internalFormat) {
    case 1:
    case GL_LUMINANCE:
    case GL_LUMINANCE8:
    case GL_INTENSITY:
    case GL_INTENSITY8:
    case GL_RED:
    case GL_R8:
        channels = 1;
        format = GL_RED;
        return true;
    case 2:
    case GL_LUMINANCE_ALPHA:
    case GL_LUMINANCE8_ALPHA8:
        channels = 2;
        format = GL_LUMINANCE_ALPHA;
        return true;
    case GL_RG:
    case GL_RG8:
        channels = 2;
        format = GL_RG;
        return true;
    case 3:
    case GL_RGB:
    case GL_RGB8:
        channels = 3;
        format = GL_RGB;
        return true;
    case 4:
    case GL_RGBA:
    case GL_RGBA8:
        channels = 4;
        format = GL_RGBA;
        return true;
    default:
        return false;
    }
}

} // namespace

void Texture::create() {
    if (handle_)
        return;
    handle_ = std::make_shared<Object<Resource>>();
    // A generated name becomes a texture object when first bound; only then
    // can a frame buffer attach it.
    bind();
}

GLuint Texture::id() const {
    if (!handle_)
        throw UninitializedException(SourceLocation(), "texture");
    return handle_->name();
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, id());
    checkGLError();
}

void Texture::setFilter(GLint filter) { setFilterMinMag(filter, filter); }

void Texture::setFilterMinMag(GLint minifying, GLint magnifying) {
    create();
    bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minifying);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnifying);
    checkGLError();
}

void Texture::setWrap(GLint mode) { setWrapST(mode, mode); }

void Texture::setWrapST(GLint s, GLint t) {
    create();
    bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, s);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, t);
    checkGLError();
}

void Texture::applyDefaultSampling() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    checkGLError();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    checkGLError();
}

void Texture::upload(const Buffer& pixels, const ImageMetadata& metadata) {
    const GLenum format = pixelFormat(metadata);
    const std::uint32_t channels = metadata.channels();
    const std::uint64_t bitsPerPixel = std::uint64_t(channels) * metadata.type().bits();
    if (bitsPerPixel == 1)
        refuse("Binary image textures not supported. ");

    const std::uint64_t pixelAlignment = metadata.pixelAlignment();
    const std::uint64_t lineAlignment = metadata.lineAlignment();
    if (pixelAlignment != 0 && bitsPerPixel % pixelAlignment != 0)
        refuse("Alignment not supported. ");
    if (lineAlignment != 0) {
        // Pixels are already multiples of their alignment here.
        if ((bitsPerPixel * metadata.width()) % lineAlignment != 0)
            refuse("Alignment not supported. ");
    }
    const GLenum type = pixelType(metadata.type());

    // Every accepted type is whole bytes, so rows are tightly packed bytes.
    // Up to 16 bytes a pixel times 2^64 pixels needs more than 64 bits.
    const unsigned __int128 needed =
        (unsigned __int128)(bitsPerPixel / 8) * metadata.width() * metadata.height();
    if (needed > pixels.size()) {
        const unsigned long long requested = needed > ~0ull ? ~0ull : (unsigned long long)needed;
        throw SpaceException<unsigned long long>(SourceLocation(), requested, pixels.size());
    }
    if (metadata.width() > 0x7FFFFFFFu || metadata.height() > 0x7FFFFFFFu)
        refuse("Unsupported size. ");
    const bool swapBytes = metadata.type().bigEndian() != 0 && metadata.type().bits() > 8;

    create();
    bind();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, swapBytes ? GL_TRUE : GL_FALSE);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(channels), GLsizei(metadata.width()), GLsizei(metadata.height()), 0,
                 format, type, pixels.data());
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    checkGLError();
    applyDefaultSampling();
}

void Texture::uploadRaw(GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                        const void* pixels) {
    create();
    bind();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, pixels);
    checkGLError();
    applyDefaultSampling();
}

void Texture::download(DynamicBuffer& pixels, ImageMetadata& metadata) const {
    bind();
    GLint width = 0;
    GLint height = 0;
    GLint internalFormat = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
    checkGLError();

    std::uint32_t channels = 0;
    GLenum format = 0;
    if (!readableFormat(internalFormat, channels, format)) {
        std::ostringstream text;
        text << "internal texture format 0x" << std::hex << internalFormat;
        throw SupportException(SourceLocation(), text.str());
    }
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * channels;
    if (bytes > 0xFFFFFFFFu)
        throw SpaceException<unsigned long long>(SourceLocation(), bytes, 0xFFFFFFFFull);

    ImageMetadata image(std::uint32_t(width), std::uint32_t(height), channels, channels * 8);
    pixels.setSize(std::uint32_t(bytes));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    checkGLError();
    metadata = image;
}

} // namespace TAVO::IK::SDLGL
