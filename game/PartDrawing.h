#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "game/Lighting.h"
#include "game/PartProgram.h"
#include "geometry/Tuple.h"
#include "model/PartMeshSet.h"
#include "sdlgl/Texture.h"
#include "sdlgl/VertexArrayObject.h"

namespace TAVO {
class Log;
}

class Picture;
class Puzzle;
class ShaderSet;

// The GPU side of the loaded puzzle's parts: the picture texture, the light
// map (map lighting), one vertex array holding the meshes of every part and
// the ranges of it that draw each part id. Made anew for every loaded puzzle;
// joined parts draw the ranges of the parts they were made of. Main thread
// only, with the OpenGL context current.
class PartDrawing {
public:
    using DrawRange = PartMeshSet::DrawRange;
    using Ranges = std::map<unsigned int, std::vector<DrawRange>>;
    using Matrix3 = PartProgram::Matrix3;

    // The file a developer's light map is written to.
    static constexpr const char* lightMapFile = "lightmap.dat";

    // Nothing loaded; parts are drawn with the lighting's program.
    PartDrawing(const ShaderSet& shaders, Lighting lighting);

    // Developer mode with map lighting: every light map built is also written
    // to the path, and how to read it printed to out. A file that cannot be
    // written is logged and the game goes on.
    void setLightMapDump(const std::string& path, std::ostream& out, TAVO::Log& log);

    // Makes the buffers of the meshes, the light map (map lighting) and the
    // picture texture (a white pixel for a picture without pixels). The
    // meshes are given back once their buffers are made, before the light
    // map and the picture take their room. A puzzle size below 1 counts as
    // 1. Throws (TextureException for a picture or light map larger than
    // the largest texture, or that cannot be shown; UnexpectedValueException
    // for meshes that do not hold together) and then draws nothing: the
    // caller fails the game.
    void load(PartMeshSet meshes, const Puzzle& puzzle, const TAVO::Tuple<2, float>& puzzleSize,
              const Picture& picture);
    // Forgets the loaded puzzle: nothing is drawn until the next load.
    void clear();
    bool loaded() const { return static_cast<bool>(picture_); }

    // The new part draws the ranges of every joined part, in the order
    // given, after its own; the joined parts keep theirs.
    void partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part);

    // Binds the picture to texture unit 0 (and the light map to unit 1,
    // leaving unit 0 active) and makes the lighting's program current with
    // the puzzle's scale. Nothing loaded: nothing happens.
    const PartProgram& use() const;
    // Draws the part's ranges with the transformation, with the program use
    // made current. A part without ranges draws nothing.
    void draw(std::uint32_t part, const Matrix3& transformation) const;

    Lighting lighting() const { return lighting_; }
    // Changes with every load, clear and join: what draws a part may differ.
    std::uint32_t generation() const { return generation_; }
    const Ranges& ranges() const { return ranges_; }
    const TAVO::Tuple<2, float>& puzzleSize() const { return puzzleSize_; }
    // The picture texture; null while nothing is loaded.
    std::shared_ptr<TAVO::IK::SDLGL::Texture> picture() const { return picture_; }
    const TAVO::IK::SDLGL::Texture& lightMap() const { return lightMap_; }
    const TAVO::IK::SDLGL::VertexArrayObject& vertexArray() const { return array_; }

private:
    TAVO::IK::SDLGL::VertexArrayObject buildArray(const PartMeshSet& meshes) const;
    TAVO::IK::SDLGL::Texture buildLightMap(const Puzzle& puzzle, const TAVO::Tuple<2, float>& puzzleSize) const;

    const PartProgram& program_;
    Lighting lighting_;
    std::string dumpPath_;
    std::ostream* dumpOut_ = nullptr;
    TAVO::Log* dumpLog_ = nullptr;

    std::shared_ptr<TAVO::IK::SDLGL::Texture> picture_;
    TAVO::IK::SDLGL::Texture lightMap_;
    TAVO::IK::SDLGL::VertexArrayObject array_;
    Ranges ranges_;
    TAVO::Tuple<2, float> puzzleSize_{1.0f, 1.0f};
    std::uint32_t generation_ = 0;
};
