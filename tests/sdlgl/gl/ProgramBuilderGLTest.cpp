#include <GL/glew.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempFolder.h"
#include "support/gl/GLTest.h"
#include "foundation/packages/FSPackage.h"
#include "geometry/Color.h"
#include "geometry/MatrixSquareLight.h"
#include "sdlgl/GLException.h"
#include "sdlgl/Program.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/Shader.h"
#include "sdlgl/ShaderBuildException.h"
#include "sdlgl/ShaderException.h"
#include "sdlgl/Uniform.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;
using KestruneGLTest::GLTest;

namespace {

const char* const vertex = "in vec2 position;\nvoid main() { gl_Position = vec4(position, 0.0, 1.0); }\n";
const char* const fragment = "uniform vec4 color;\nout vec4 fragmentColor;\nvoid main() { fragmentColor = color; }\n";
// Compiles, but the compiler warns about the uninitialised variable.
const char* const warningFragment =
    "out vec4 fragmentColor;\nvoid main() { float x; fragmentColor = vec4(x); }\n";

ProgramBuilder builderOf(const char* vertexText, const char* fragmentText, bool strict) {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(strict);
    builder.addSource(GL_VERTEX_SHADER, vertexText);
    builder.addSource(GL_FRAGMENT_SHADER, fragmentText);
    return builder;
}

ShaderBuildException buildFailure(ProgramBuilder& builder) {
    try {
        builder.build();
    } catch (const ShaderBuildException& e) {
        return e;
    }
    return ShaderBuildException(SourceLocation(), "built", "");
}

// The live objects among the first names a driver hands out.
int liveNames(GLboolean (*isObject)(GLuint)) {
    int count = 0;
    for (GLuint name = 1; name < 4096; ++name)
        count += isObject(name) == GL_TRUE;
    return count;
}
GLboolean isShader(GLuint name) { return glIsShader(name); }
GLboolean isProgram(GLuint name) { return glIsProgram(name); }

void raisePendingError() { glEnable(0x7FFF); }

} // namespace

// ---- Compiler and linker logs ---------------------------------------------------

TEST_F(GLTest, WarningsBuildUnlessStrict) {
    ProgramBuilder lenient = builderOf(vertex, warningFragment, false);
    EXPECT_FALSE(lenient.build().empty());
    ProgramBuilder strict = builderOf(vertex, warningFragment, true);
    const ShaderBuildException e = buildFailure(strict);
    EXPECT_EQ(e.stage(), "compilation warnings");
    EXPECT_NE(e.detail().find("warning"), std::string::npos) << e.detail();
    EXPECT_EQ(e.message(), "Shader error: compilation warnings(" + e.detail() + ")");
}

TEST_F(GLTest, CleanSourcesBuildStrictlyWithEmptyLogs) {
    ProgramBuilder builder = builderOf(vertex, fragment, true);
    const Program program = builder.build();
    EXPECT_FALSE(program.empty());
    GLint status = GL_FALSE;
    glGetProgramiv(program.name(), GL_LINK_STATUS, &status);
    EXPECT_EQ(status, GL_TRUE);
    // The shaders were detached and deleted with the build.
    GLint attached = -1;
    glGetProgramiv(program.name(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 0);
    EXPECT_EQ(liveNames(isShader), 0);
}

TEST_F(GLTest, CompileAndLinkErrorsNameTheirStageAndCarryOnlyTheirLog) {
    ProgramBuilder broken = builderOf(vertex, "void main() { undefinedName = 1; }\n", false);
    ShaderBuildException e = buildFailure(broken);
    EXPECT_EQ(e.stage(), "compilation");
    EXPECT_NE(e.detail().find("undefinedName"), std::string::npos) << e.detail();

    // Both compile; the fragment shader calls a function nobody defines.
    ProgramBuilder unlinked =
        builderOf(vertex, "void undefinedHelper();\nout vec4 f;\nvoid main() { undefinedHelper(); f = vec4(1.0); }\n", false);
    e = buildFailure(unlinked);
    EXPECT_EQ(e.stage(), "linking");
    EXPECT_NE(e.detail().find("undefinedHelper"), std::string::npos) << e.detail();
    EXPECT_EQ(e.detail().find("undefinedName"), std::string::npos);
    EXPECT_EQ(liveNames(isShader), 0);
    EXPECT_EQ(liveNames(isProgram), 0);
}

TEST_F(GLTest, AFailedBuildNamesTheEntriesItsSourcesWereReadFrom) {
    KestruneTest::TempFolder folder;
    std::filesystem::create_directories(folder.file("shaders"));
    std::ofstream(folder.file("shaders/a.vert")) << vertex;
    std::ofstream(folder.file("shaders/b.frag")) << "void main() { undefinedName = 1; }\n";
    FSPackage package(folder.path());
    const auto builderOfEntries = [&] {
        ProgramBuilder builder;
        builder.setVersion(130);
        builder.setPackage(&package);
        builder.loadSource(GL_VERTEX_SHADER, "shaders/a.vert");
        builder.loadSource(GL_FRAGMENT_SHADER, "shaders/b.frag");
        return builder;
    };
    ProgramBuilder broken = builderOfEntries();
    ShaderBuildException e = buildFailure(broken);
    EXPECT_EQ(e.stage(), "compilation");
    EXPECT_EQ(e.entries(), "shaders/b.frag");
    EXPECT_EQ(e.message(), "Shader error: compilation of shaders/b.frag(" + e.detail() + ")");

    // Linking fails for the program as a whole: every entry is named.
    std::ofstream(folder.file("shaders/b.frag"), std::ios::trunc)
        << "void undefinedHelper();\nout vec4 f;\nvoid main() { undefinedHelper(); f = vec4(1.0); }\n";
    ProgramBuilder unlinked = builderOfEntries();
    e = buildFailure(unlinked);
    EXPECT_EQ(e.stage(), "linking");
    EXPECT_EQ(e.entries(), "shaders/a.vert, shaders/b.frag");
    EXPECT_EQ(liveNames(isShader), 0);
}

TEST_F(GLTest, LinkWarningsBuildUnlessStrict) {
    // The fragment input has no vertex output to match: the linker warns.
    const char* unmatched = "in vec3 missingInput;\nout vec4 f;\nvoid main() { f = vec4(missingInput, 1.0); }\n";
    ProgramBuilder lenient = builderOf(vertex, unmatched, false);
    EXPECT_FALSE(lenient.build().empty());
    ProgramBuilder strict = builderOf(vertex, unmatched, true);
    const ShaderBuildException e = buildFailure(strict);
    EXPECT_EQ(e.stage(), "link warnings");
    EXPECT_NE(e.detail().find("missingInput"), std::string::npos) << e.detail();
    EXPECT_EQ(liveNames(isProgram), 0);
}

TEST_F(GLTest, DefinesReachEverySourceAndTheBuilderIsReusable) {
    ProgramBuilder builder;
    builder.setVersion(130);
    builder.setStrict(true);
    builder.addSource(GL_VERTEX_SHADER, vertex);
    builder.addSource(GL_FRAGMENT_SHADER, "out vec4 f;\nvoid main() { f = vec4(VALUE); }\n");
    builder.addSource(GL_FRAGMENT_SHADER, fragment);
    builder.selectSources(std::vector<unsigned int>{0, 2});
    const Program first = builder.build();
    builder.selectSources(std::vector<unsigned int>{0, 1});
    EXPECT_EQ(buildFailure(builder).stage(), "compilation");
    builder.define("VALUE", "0.5");
    const Program second = builder.build();
    EXPECT_FALSE(first.empty());
    EXPECT_FALSE(second.empty());
    EXPECT_NE(first.name(), second.name());
}

// ---- Object lifetimes -----------------------------------------------------------

TEST_F(GLTest, CopiesShareAProgramUntilTheLastGoes) {
    ProgramBuilder builder = builderOf(vertex, fragment, true);
    GLuint name = 0;
    {
        Program copy;
        {
            Program original = builder.build();
            name = original.name();
            copy = original;
        }
        EXPECT_TRUE(glIsProgram(name));
        EXPECT_EQ(copy.name(), name);
    }
    EXPECT_FALSE(glIsProgram(name));
}

// A GL error in the middle of making a shader or a program must not leave
// the half-made object behind.
TEST_F(GLTest, NoShaderOrProgramOutlivesAFailedCheck) {
    std::ostringstream log;
    const int shaders = liveNames(isShader);
    raisePendingError();
    EXPECT_THROW(Shader(vertex, GL_VERTEX_SHADER, log), GLException);
    EXPECT_EQ(liveNames(isShader), shaders);

    const Shader v("#version 130\n" + std::string(vertex), GL_VERTEX_SHADER, log);
    const Shader f("#version 130\n" + std::string(fragment), GL_FRAGMENT_SHADER, log);
    ASSERT_FALSE(v.empty());
    ASSERT_FALSE(f.empty());
    const int programs = liveNames(isProgram);
    raisePendingError();
    EXPECT_THROW(Program({v, f}, log), GLException);
    EXPECT_EQ(liveNames(isProgram), programs);
    // The shaders were left detached and usable.
    EXPECT_FALSE(Program({v, f}, log).empty());
}

TEST_F(GLTest, AFailedCompilationGivesAnEmptyShaderAndDeletesIt) {
    std::ostringstream log;
    const Shader bad("#version 130\nvoid main() { nonsense }\n", GL_FRAGMENT_SHADER, log);
    EXPECT_TRUE(bad.empty());
    EXPECT_FALSE(log.str().empty());
    EXPECT_EQ(liveNames(isShader), 0);
    EXPECT_THROW(Shader("x", GLenum(0x1234), log), GLException);
}

// ---- Uniforms -------------------------------------------------------------------

TEST_F(GLTest, UniformsAreFoundOnceAndSetInTheProgramInUse) {
    ProgramBuilder builder = builderOf(
        "in vec2 position;\nuniform mat3 m;\nuniform vec2 v2;\nvoid main() { gl_Position = vec4((m * vec3(position, 1.0)).xy + v2, 0.0, 1.0); }\n",
        "uniform vec4 color;\nuniform int i;\nuniform uint u;\nuniform float x;\nuniform vec3 v3;\nout vec4 f;\n"
        "void main() { f = color * x + vec4(v3, float(i) + float(u)); }\n",
        true);
    const Program program = builder.build();
    program.use();
    try {
        Uniform(program, "absent");
        FAIL();
    } catch (const ShaderException& e) {
        EXPECT_EQ(e.message(), "Could not find uniform location, absent. ");
    }
    try {
        program.attributeLocation("absent");
        FAIL();
    } catch (const ShaderException& e) {
        EXPECT_EQ(e.message(), "Could not find attribute location, absent. ");
    }

    // Row by row, sent transposed: element (0, 2) is the x translation.
    const MatrixSquareLight<3, float> m{1, 2, 3, 4, 5, 6, 7, 8, 9};
    Uniform(program, "m").setMatrix3(m);
    float read[9] = {};
    glGetUniformfv(program.name(), program.uniformLocation("m"), read);
    // OpenGL stores columns: its first column is our first row... transposed.
    EXPECT_EQ(std::vector<float>(read, read + 9), (std::vector<float>{1, 4, 7, 2, 5, 8, 3, 6, 9}));

    Uniform(program, "color").setColor(Color(0.25f, 0.5f, 0.75f));
    float color[4] = {};
    glGetUniformfv(program.name(), program.uniformLocation("color"), color);
    EXPECT_EQ(std::vector<float>(color, color + 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f}));

    Uniform(program, "i").setInt(-7);
    Uniform(program, "u").setUnsigned(7u);
    Uniform(program, "x").setFloat(2.5f);
    Uniform(program, "v2").setVector2(Vector<2, float>(1.0f, -1.0f));
    Uniform(program, "v3").setVector3(Tuple<3, float>(3.0f, 2.0f, 1.0f));
    GLint i = 0;
    glGetUniformiv(program.name(), program.uniformLocation("i"), &i);
    EXPECT_EQ(i, -7);
    GLuint u = 0;
    glGetUniformuiv(program.name(), program.uniformLocation("u"), &u);
    EXPECT_EQ(u, 7u);
    float v[3] = {};
    glGetUniformfv(program.name(), program.uniformLocation("v2"), v);
    EXPECT_EQ(std::vector<float>(v, v + 2), (std::vector<float>{1.0f, -1.0f}));
    glGetUniformfv(program.name(), program.uniformLocation("v3"), v);
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{3.0f, 2.0f, 1.0f}));

    // The look-up-every-time setters.
    Uniform::setFloat(program, "x", 4.0f);
    glGetUniformfv(program.name(), program.uniformLocation("x"), v);
    EXPECT_EQ(v[0], 4.0f);
    const float three[3] = {7.0f, 8.0f, 9.0f};
    Uniform::setVector(program, "v3", 3, three);
    glGetUniformfv(program.name(), program.uniformLocation("v3"), v);
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{7.0f, 8.0f, 9.0f}));
    Uniform::setInt(program, "i", 3);
    glGetUniformiv(program.name(), program.uniformLocation("i"), &i);
    EXPECT_EQ(i, 3);
    EXPECT_THROW(Uniform::setInt(program, "absent", 1), ShaderException);
}

// Shader sources can come from a folder the player names ("--use-resources"):
// whatever the files hold, the build ends in a clean exception.
TEST_F(GLTest, HostileSourcesFailToCompileCleanly) {
    std::string garbage(4096, '\0');
    std::uint32_t state = 77;
    for (char& c : garbage) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    const std::string sources[] = {
        garbage,
        std::string("void main() {\0}\n", 16),
        "#if 1\nvoid main() {}\n",
        std::string(1 << 20, 'a'),
        "#version 450\nvoid main() {}\n",
        "#define EDGES 2\n#define EDGES 3\nvoid main() {}\n",
    };
    for (const std::string& text : sources) {
        ProgramBuilder builder;
        builder.setVersion(130);
        builder.setStrict(true);
        builder.addSource(GL_VERTEX_SHADER, vertex);
        builder.addSource(GL_FRAGMENT_SHADER, text);
        const ShaderBuildException e = buildFailure(builder);
        EXPECT_TRUE(e.stage() == "compilation" || e.stage() == "compilation warnings") << e.stage();
    }
    EXPECT_EQ(liveNames(isShader), 0);
    EXPECT_EQ(liveNames(isProgram), 0);
}
