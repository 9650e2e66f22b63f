// The built-in shaders, built the way the view builds them: version 130,
// strict, includes joined in front, "EDGES" defined from the lit programs on.
#include <GL/glew.h>

#include <string>
#include <vector>

#include "support/gl/GLTest.h"
#include "sdlgl/Program.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/ShaderBuildException.h"
#include "sdlgl/Uniform.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;
using KestruneGLTest::Resources;

namespace {

struct Row {
    GLenum type;
    unsigned int includes;
    const char* path;
};

const char* const includeFiles[] = {"shaders/part_base.vert.inc", "shaders/part_base.frag.inc",
                                    "shaders/part_light.frag.inc", "shaders/ui_base.vert.inc"};

const Row rows[] = {
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
};

struct ProgramUse {
    const char* name;
    unsigned int firstRow;
    std::vector<std::string> uniforms;
    std::vector<std::string> attributes;
};

const std::vector<std::string> partUniforms = {"partTransformation", "pictureSampler", "pictureScale"};
const std::vector<std::string> lightUniforms = {"edgeLightDirection", "edgeSize", "ambient",
                                                "diffuse", "specular", "shininess"};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> edgeAttributes() {
    std::vector<std::string> names = {"position"};
    for (int i = 0; i < 12; ++i)
        names.push_back("edge" + std::to_string(i));
    return names;
}

// Every row as one source, so that a row's number is its source index.
void loadRows(ProgramBuilder& builder) {
    builder.setPackage(&Resources::package());
    for (unsigned int r = 0; r < std::size(rows); ++r) {
        unsigned int index = ProgramBuilder::newSource;
        for (unsigned int bit = 0; bit < 4; ++bit)
            if (rows[r].includes & (1u << bit))
                index = builder.loadSource(rows[r].type, includeFiles[bit], index);
        index = builder.loadSource(rows[r].type, rows[r].path, index);
        ASSERT_EQ(index, r);
    }
}

Program buildRows(ProgramBuilder& builder, unsigned int first) {
    const unsigned int selection[] = {first, first + 1};
    builder.selectSources(selection, 2);
    return builder.build();
}

} // namespace

TEST_F(GLTest, EveryBuiltInProgramBuildsStrictlyWithEveryNameTheDrawingUses) {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    loadRows(builder);

    const std::vector<ProgramUse> programs = {
        {"outline", 0, {"color", "transformation"}, {"position"}},
        {"part", 2, partUniforms, {"position"}},
        {"edge attribute", 4, join(partUniforms, lightUniforms), edgeAttributes()},
        {"edge map", 6, join(join(partUniforms, lightUniforms), {"edgeMapSampler", "edgeMapScale"}), {"position"}},
        {"plain shape", 8, {"scale", "offset", "color"}, {"position"}},
        {"coloured shape", 10, {"scale", "offset", "color"}, {"position", "vertexColor"}},
        {"textured shape", 12,
         {"scale", "offset", "color", "textureSampler", "textureScale", "textureOffset"},
         {"position"}},
    };
    for (const ProgramUse& use : programs) {
        if (use.firstRow == 4)
            builder.define("EDGES", "12");
        SCOPED_TRACE(use.name);
        Program program;
        try {
            program = buildRows(builder, use.firstRow);
        } catch (const Exception& e) {
            FAIL() << e;
        }
        ASSERT_FALSE(program.empty());
        program.use();
        for (const std::string& name : use.uniforms)
            EXPECT_NO_THROW(Uniform(program, name)) << name;
        for (const std::string& name : use.attributes)
            EXPECT_NO_THROW(program.attributeLocation(name)) << name;
        GLint active = 0;
        glGetProgramiv(program.name(), GL_ACTIVE_UNIFORMS, &active);
        EXPECT_EQ(active, GLint(use.uniforms.size()));
        glGetProgramiv(program.name(), GL_ACTIVE_ATTRIBUTES, &active);
        EXPECT_EQ(active, GLint(use.attributes.size()));
    }
}

TEST_F(GLTest, TheAttributeVertexShaderNeedsTwelveEdges) {
    ProgramBuilder builder;
    builder.setVersion(130);
    loadRows(builder);
    try {
        buildRows(builder, 4);
        FAIL() << "built with two edges";
    } catch (const ShaderBuildException& e) {
        EXPECT_EQ(e.stage(), "compilation");
        EXPECT_FALSE(e.detail().empty());
    }
    builder.define("EDGES", "12");
    EXPECT_NO_THROW(buildRows(builder, 4));
}
