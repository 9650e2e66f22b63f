#include "game/PartDrawing.h"

#include <GL/glew.h>

#include <algorithm>
#include <utility>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/threads/Log.h"
#include "game/LightMapPainter.h"
#include "game/ShaderSet.h"
#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "sdlgl/Checks.h"
#include "sdlgl/VertexBufferObject.h"
#include "ui/PictureTexture.h"

using TAVO::IK::SDLGL::Texture;
using TAVO::IK::SDLGL::VertexArrayObject;
using TAVO::IK::SDLGL::VertexBufferObject;

namespace {

[[noreturn]] void refuseMeshes(const std::string& what) {
    throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), what, "part meshes that hold together");
}

template <class T>
VertexBufferObject staticBuffer(GLenum target, const std::vector<T>& values) {
    const std::uint64_t bytes = std::uint64_t(values.size()) * sizeof(T);
    if (bytes > 0xFFFFFFFFull)
        refuseMeshes("Meshes of " + std::to_string(bytes) + " bytes");
    VertexBufferObject buffer(target);
    buffer.setData(TAVO::BorrowConstBuffer(values.data(), std::uint32_t(bytes)), GL_STATIC_DRAW);
    return buffer;
}

// Every range lies within the elements drawn (indices, or vertices without them).
void checkRanges(const PartDrawing::Ranges& ranges, std::uint64_t elements) {
    for (const auto& [part, list] : ranges)
        for (const PartDrawing::DrawRange& range : list)
            if (std::uint64_t(range.first) + range.count > elements)
                refuseMeshes("A range of part " + std::to_string(part) + " ending at " +
                             std::to_string(std::uint64_t(range.first) + range.count) + " of " +
                             std::to_string(elements) + " elements");
}

} // namespace

PartDrawing::PartDrawing(const ShaderSet& shaders, Lighting lighting)
    : program_(shaders.partProgram(lighting)), lighting_(lighting) {}

void PartDrawing::setLightMapDump(const std::string& path, std::ostream& out, TAVO::Log& log) {
    dumpPath_ = path;
    dumpOut_ = &out;
    dumpLog_ = &log;
}

VertexArrayObject PartDrawing::buildArray(const PartMeshSet& meshes) const {
    const std::uint64_t vertices = meshes.vertexCount();
    if (meshes.positions().size() % 2 != 0)
        refuseMeshes("An odd number of vertex coordinates");
    VertexArrayObject array(program_.program());
    if (lighting_ == Lighting::attribute) {
        if (meshes.edgeAttributes().size() != vertices * PartMeshSet::attributesPerVertex)
            refuseMeshes(std::to_string(meshes.edgeAttributes().size()) + " edge values for " +
                         std::to_string(vertices) + " vertices");
        checkRanges(meshes.ranges(), vertices);
        if (vertices == 0)
            return array;
        const VertexBufferObject positions = staticBuffer(GL_ARRAY_BUFFER, meshes.positions());
        const VertexBufferObject edges = staticBuffer(GL_ARRAY_BUFFER, meshes.edgeAttributes());
        array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
        const GLsizei stride = GLsizei(PartMeshSet::attributesPerVertex * sizeof(float));
        for (std::uint32_t i = 0; i < PartMeshSet::edgeSlots; ++i)
            array.setAttribute("edge" + std::to_string(i), edges, 4, GL_FLOAT, false, stride,
                               std::uint32_t(4 * sizeof(float) * i));
        array.setGeometry(GL_TRIANGLES, std::uint32_t(vertices));
        return array;
    }
    const std::vector<std::uint32_t>& indices = meshes.indices();
    for (std::uint32_t index : indices)
        if (index >= vertices)
            refuseMeshes("The vertex index " + std::to_string(index) + " of " + std::to_string(vertices) +
                         " vertices");
    checkRanges(meshes.ranges(), indices.size());
    if (indices.empty())
        return array;
    const VertexBufferObject positions = staticBuffer(GL_ARRAY_BUFFER, meshes.positions());
    const VertexBufferObject elements = staticBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
    array.setAttribute("position", positions, 2, GL_FLOAT, false, 0, 0);
    array.setIndexedGeometry(elements, GL_UNSIGNED_INT, GL_TRIANGLES, std::uint32_t(indices.size()));
    return array;
}

Texture PartDrawing::buildLightMap(const Puzzle& puzzle, const TAVO::Tuple<2, float>& puzzleSize) const {
    const TAVO::Tuple<2, unsigned int> size = LightMapPainter::mapSize(puzzleSize, PictureTexture::sideLimit());
    LightMapPainter painter(size[0], size[1]);
    painter.paintPuzzle(puzzle);
    Texture texture;
    const std::vector<std::uint8_t>& bytes = painter.bytes();
    texture.upload(TAVO::BorrowConstBuffer(bytes.data(), std::uint32_t(bytes.size())),
                   TAVO::Migration::ImageMetadata(size[0], size[1], 4, 32));
    texture.setFilter(GL_NEAREST);
    if (dumpOut_ != nullptr) {
        // A developer aid: a map that cannot be written costs the game nothing.
        try {
            painter.dump(dumpPath_, *dumpOut_);
        } catch (const TAVO::Exception& e) {
            TAVO::Log::line(dumpLog_->entry()) << "Unable to write the light map to " << dumpPath_ << ": "
                                               << e.message();
        }
    }
    return texture;
}

void PartDrawing::load(PartMeshSet meshes, const Puzzle& puzzle, const TAVO::Tuple<2, float>& puzzleSize,
                       const Picture& picture) {
    TAVO::Tuple<2, float> size = puzzleSize;
    for (int i = 0; i < 2; ++i)
        if (!(size[i] >= 1.0f))
            size[i] = 1.0f;

    // The table holds the new game already: nothing of the old one may be
    // drawn for its parts, whatever happens here.
    clear();
    VertexArrayObject array = buildArray(meshes);
    Ranges ranges = meshes.ranges();
    meshes.release();
    Texture lightMap;
    if (lighting_ == Lighting::map)
        lightMap = buildLightMap(puzzle, size);
    auto texture = std::make_shared<Texture>();
    if (picture.hasPixels()) {
        PictureTexture::upload(*texture, picture);
    } else {
        const std::uint8_t white[3] = {255, 255, 255};
        texture->upload(TAVO::BorrowConstBuffer(white, sizeof white), TAVO::Migration::ImageMetadata(1, 1, 3, 24));
    }

    array_ = std::move(array);
    lightMap_ = std::move(lightMap);
    picture_ = std::move(texture);
    ranges_ = std::move(ranges);
    puzzleSize_ = size;
    ++generation_;
}

void PartDrawing::clear() {
    ++generation_;
    array_ = VertexArrayObject();
    lightMap_ = Texture();
    picture_.reset();
    ranges_.clear();
    puzzleSize_ = TAVO::Tuple<2, float>(1.0f, 1.0f);
}

void PartDrawing::partsJoined(const std::vector<unsigned int>& joined, std::uint32_t part) {
    ++generation_;
    std::vector<DrawRange> merged = ranges_[part];
    for (unsigned int id : joined) {
        const std::vector<DrawRange>& own = ranges_[id];
        merged.insert(merged.end(), own.begin(), own.end());
    }
    ranges_[part] = std::move(merged);
}

const PartProgram& PartDrawing::use() const {
    if (!picture_)
        return program_;
    glActiveTexture(GL_TEXTURE0);
    TAVO::IK::SDLGL::checkGLError();
    picture_->bind();
    if (lighting_ == Lighting::map) {
        glActiveTexture(GL_TEXTURE1);
        TAVO::IK::SDLGL::checkGLError();
        lightMap_.bind();
        glActiveTexture(GL_TEXTURE0);
        TAVO::IK::SDLGL::checkGLError();
    }
    program_.use(TAVO::Vector<2, float>(1.0f / puzzleSize_[0], 1.0f / puzzleSize_[1]));
    return program_;
}

void PartDrawing::draw(std::uint32_t part, const Matrix3& transformation) const {
    const auto found = ranges_.find(part);
    if (found == ranges_.end() || found->second.empty() || !array_.isCreated())
        return;
    program_.setTransformation(transformation);
    for (const DrawRange& range : found->second)
        array_.drawRange(range.first, range.count);
}
