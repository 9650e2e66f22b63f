#pragma once

#include <GL/glew.h>

#include <memory>

#include "sdlgl/Object.h"

namespace TAVO {
class Buffer;
class DynamicBuffer;
} // namespace TAVO
namespace TAVO::Migration {
class ImageMetadata;
}

namespace TAVO::IK::SDLGL {

// A two-dimensional OpenGL texture, made on first use and shared by copying.
class Texture {
public:
    struct Resource {
        static void generate(GLuint& name) { glGenTextures(1, &name); }
        static void release(GLuint name) { glDeleteTextures(1, &name); }
        static const char* displayName() { return "Texture"; }
    };

    // Makes the GL texture object when there is none.
    void create();
    bool isCreated() const { return static_cast<bool>(handle_); }
    // The GL name; a texture never made throws UninitializedException "texture".
    GLuint id() const;
    // Same failure as id.
    void bind() const;

    // These make the texture first when needed.
    void setFilter(GLint filter);
    void setFilterMinMag(GLint minifying, GLint magnifying);
    void setWrap(GLint mode);
    void setWrapST(GLint s, GLint t);

    // Uploads an image of 1 ("INTENSITY"), 3 or 4 ("RGBA" or "BGRA")
    // channels of 8-, 16- or 32-bit integers or 32-bit floats with tightly
    // packed rows, the first stored row to texture row 0; clamped to the edge,
    // linear filtering. Every refusal throws before anything reaches OpenGL:
    // TextureException for what is not supported, SpaceException when the
    // buffer is shorter than the metadata's rows. Big-endian samples are
    // swapped on the way.
    void upload(const Buffer& pixels, const Migration::ImageMetadata& metadata);
    // glTexImage2D as given, unpacked byte by byte; null pixels allocate only.
    void uploadRaw(GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                   const void* pixels);
    // Reads level 0 back as 8-bit unsigned samples of 1 to 4 channels, rows
    // tightly packed. An internal format without a byte form throws
    // SupportException "internal texture format 0x<hex>".
    void download(DynamicBuffer& pixels, Migration::ImageMetadata& metadata) const;

private:
    void applyDefaultSampling();

    std::shared_ptr<Object<Resource>> handle_;
};

} // namespace TAVO::IK::SDLGL
