#include "game/ShaderSet.h"

#include "foundation/streams/BorrowConstBuffer.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/VertexBufferObject.h"

using TAVO::IK::SDLGL::Program;
using TAVO::IK::SDLGL::ProgramBuilder;
using TAVO::IK::SDLGL::Uniform;
using TAVO::IK::SDLGL::VertexBufferObject;

const std::array<const char*, 4> ShaderSet::includeFiles = {
    "shaders/part_base.vert.inc",
    "shaders/part_base.frag.inc",
    "shaders/part_light.frag.inc",
    "shaders/ui_base.vert.inc",
};

const std::array<ShaderSet::Source, 14> ShaderSet::sources = {{
    {GL_VERTEX_SHADER, 0, "shaders/outline.vert"},
    {GL_FRAGMENT_SHADER, 0, "shaders/outline.frag"},
    {GL_VERTEX_SHADER, 1, "shaders/part.vert"},
    {GL_FRAGMENT_SHADER, 2, "shaders/part.frag"},
    {GL_VERTEX_SHADER, 1, "shaders/part_light_attribute.vert"},
    {GL_FRAGMENT_SHADER, 6, "shaders/part_light_attribute.frag"},
    {GL_VERTEX_SHADER, 1, "shaders/part_light_map.vert"},
    {GL_FRAGMENT_SHADER, 6, "shaders/part_light_map.frag"},
    {GL_VERTEX_SHADER, 8, "shaders/ui_shape.vert"},
    {GL_FRAGMENT_SHADER, 0, "shaders/ui_shape.frag"},
    {GL_VERTEX_SHADER, 8, "shaders/ui_shape_color.vert"},
    {GL_FRAGMENT_SHADER, 0, "shaders/ui_shape_color.frag"},
    {GL_VERTEX_SHADER, 8, "shaders/ui_shape_texture.vert"},
    {GL_FRAGMENT_SHADER, 0, "shaders/ui_shape_texture.frag"},
}};

namespace {

// The program of two consecutive rows.
Program buildPair(ProgramBuilder& builder, unsigned int first) {
    builder.selectSources({first, first + 1});
    return builder.build();
}

} // namespace

ShaderSet::ShaderSet(const TAVO::Package& package, bool strict) {
    ProgramBuilder builder;
    builder.setVersion(glslVersion);
    builder.setStrict(strict);
    builder.setPackage(&package);
    for (const Source& source : sources) {
        unsigned int index = ProgramBuilder::newSource;
        for (std::uint32_t bit = 0; bit < includeFiles.size(); ++bit)
            if (source.includes & (1u << bit))
                index = builder.loadSource(source.kind, includeFiles[bit], index);
        builder.loadSource(source.kind, source.path, index);
    }

    outline_ = buildPair(builder, 0);
    outlineColor_ = Uniform(outline_, "color");
    outlineTransformation_ = Uniform(outline_, "transformation");
    parts_[0] = PartProgram(buildPair(builder, 2), Lighting::none);
    // The attribute program's vertices carry twelve edge records; the define
    // stays for every program built after it.
    builder.define("EDGES", std::to_string(edgeRecords));
    parts_[2] = PartProgram(buildPair(builder, 4), Lighting::attribute);
    parts_[1] = PartProgram(buildPair(builder, 6), Lighting::map);
    const Program plain = buildPair(builder, 8);
    const Program vertexColor = buildPair(builder, 10);
    const Program textured = buildPair(builder, 12);
    shapeShader_ = std::make_unique<GLShapeShader>(plain, vertexColor, textured);

    // Two crossing lines.
    const float points[8] = {-1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f, 1.0f, -1.0f};
    VertexBufferObject buffer(GL_ARRAY_BUFFER);
    buffer.setData(TAVO::BorrowConstBuffer(points, sizeof points), GL_STATIC_DRAW);
    outlineArray_ = TAVO::IK::SDLGL::VertexArrayObject(outline_);
    outlineArray_.setAttribute("position", buffer, 2, GL_FLOAT, false, 0, 0);
    outlineArray_.setGeometry(GL_LINES, 4);
}

const PartProgram& ShaderSet::partProgram(Lighting lighting) const {
    switch (lighting) {
    case Lighting::map:
        return parts_[1];
    case Lighting::attribute:
        return parts_[2];
    default:
        return parts_[0];
    }
}
