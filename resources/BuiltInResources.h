#pragma once

#include <cstdint>

// The resource archive compiled into the program: the shape files and the
// window icon under "assets/" and the GLSL sources under "shaders/". The game
// reads it as an archive over a read stream on these bytes:
//
//     TAVO::BorrowConstBuffer bytes(BuiltInResources::data(), BuiltInResources::size());
//     TAVO::ConstBufferStream stream(bytes);
//     TAVO::Archive resources(stream);
//
// The bytes live as long as the program and are never written.
class BuiltInResources {
public:
    static const std::uint8_t* data();
    static std::uint32_t size();
};
