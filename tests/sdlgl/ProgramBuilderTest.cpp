#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/packages/FSPackage.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "sdlgl/ProgramBuilder.h"
#include "sdlgl/ShaderBuildException.h"

using namespace TAVO;
using namespace TAVO::IK::SDLGL;

namespace {

const FSPackage& resources() {
    static const FSPackage package(std::string(KESTRUNE_SOURCE_DIR) + "/resources");
    return package;
}

std::string readEntry(const std::string& name) {
    std::unique_ptr<Package::Reader> reader = resources().openReader(name);
    EXPECT_TRUE(reader) << name;
    if (!reader)
        return std::string();
    IncrementalBuffer buffer;
    ReadStream::readToEnd(reader->stream(), buffer);
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

std::string buildStage(ProgramBuilder& builder) {
    try {
        builder.build();
    } catch (const ShaderBuildException& e) {
        return e.stage() + "|" + e.detail();
    }
    return "built";
}

} // namespace

// ---- The prefix -----------------------------------------------------------------

TEST(ProgramBuilderTest, NoVersionAndNoDefinesLeaveTheSourcesAsLoaded) {
    ProgramBuilder builder;
    EXPECT_EQ(builder.prefix(), "");
    builder.setVersion(-5);
    EXPECT_EQ(builder.prefix(), "");
}

TEST(ProgramBuilderTest, VersionLineThenDefinesSortedByName) {
    ProgramBuilder builder;
    builder.setVersion(130);
    EXPECT_EQ(builder.prefix(), "#version 130\n");
    builder.define("EDGES", "12");
    builder.define("A_FLAG", "");
    builder.define("MIDDLE", "x y");
    EXPECT_EQ(builder.prefix(), "#version 130\n#define A_FLAG\n#define EDGES 12\n#define MIDDLE x y\n");
    builder.define("EDGES", "4");
    EXPECT_EQ(builder.prefix(), "#version 130\n#define A_FLAG\n#define EDGES 4\n#define MIDDLE x y\n");
    builder.setVersion(0);
    builder.clearDefines();
    builder.define("ONLY", "1");
    EXPECT_EQ(builder.prefix(), "#define ONLY 1\n");
}

// ---- Sources --------------------------------------------------------------------

TEST(ProgramBuilderTest, AppendToJoinsTextsWithALineFeed) {
    ProgramBuilder builder;
    EXPECT_EQ(builder.addSource(GL_VERTEX_SHADER, "a", ProgramBuilder::newSource), 0u);
    // appendTo equal to the number of sources starts a new one too.
    EXPECT_EQ(builder.addSource(GL_FRAGMENT_SHADER, "b", 1), 1u);
    // A smaller index joins; the given type is ignored.
    EXPECT_EQ(builder.addSource(GL_FRAGMENT_SHADER, "c", 0), 0u);
    ASSERT_EQ(builder.sources().size(), 2u);
    EXPECT_EQ(builder.sources()[0].text, "a\nc");
    EXPECT_EQ(builder.sources()[0].type, GLenum(GL_VERTEX_SHADER));
    EXPECT_EQ(builder.sources()[1].text, "b");
    EXPECT_EQ(builder.sources()[1].type, GLenum(GL_FRAGMENT_SHADER));
}

TEST(ProgramBuilderTest, LoadingJoinsIncludesInFrontOfTheMainFile) {
    ProgramBuilder builder;
    builder.setPackage(&resources());
    const unsigned int index = builder.loadSource(GL_FRAGMENT_SHADER, "shaders/part_base.frag.inc");
    EXPECT_EQ(builder.loadSource(GL_FRAGMENT_SHADER, "shaders/part_light.frag.inc", index), index);
    EXPECT_EQ(builder.loadSource(GL_FRAGMENT_SHADER, "shaders/part_light_map.frag", index), index);
    EXPECT_EQ(builder.sources()[index].text, readEntry("shaders/part_base.frag.inc") + "\n" +
                                                 readEntry("shaders/part_light.frag.inc") + "\n" +
                                                 readEntry("shaders/part_light_map.frag"));
    // The entries are kept for the messages of a failed build; text added
    // without a package has none.
    EXPECT_EQ(builder.sources()[index].entries,
              "shaders/part_base.frag.inc, shaders/part_light.frag.inc, shaders/part_light_map.frag");
    EXPECT_EQ(builder.sources()[builder.addSource(GL_VERTEX_SHADER, "void main() {}")].entries, "");
}

TEST(ProgramBuilderTest, StreamsAreReadToTheirEnd) {
    const std::string text = "void main() {}\n";
    BorrowConstBuffer bytes(text.data(), std::uint32_t(text.size()));
    ConstBufferStream stream(bytes);
    ProgramBuilder builder;
    EXPECT_EQ(builder.addSourceFromStream(GL_VERTEX_SHADER, stream), 0u);
    EXPECT_EQ(builder.sources()[0].text, text);
}

TEST(ProgramBuilderTest, LoadingNeedsAPackageAndAnEntry) {
    ProgramBuilder builder;
    try {
        builder.loadSource(GL_VERTEX_SHADER, "shaders/part.vert");
        FAIL();
    } catch (const ShaderBuildException& e) {
        EXPECT_EQ(e.message(), "Shader error: no package specified(shaders/part.vert)");
    }
    builder.setPackage(&resources());
    try {
        builder.loadSource(GL_VERTEX_SHADER, "shaders/missing.vert");
        FAIL();
    } catch (const ShaderBuildException& e) {
        EXPECT_EQ(e.message(), "Shader error: loading(shaders/missing.vert)");
    }
    EXPECT_TRUE(builder.sources().empty());
    // Entry names never reach outside the package's folder.
    EXPECT_THROW(builder.loadSource(GL_VERTEX_SHADER, "../CMakeLists.txt"), Exception);
    EXPECT_THROW(builder.loadSource(GL_VERTEX_SHADER, "/etc/passwd"), Exception);
    EXPECT_TRUE(builder.sources().empty());
}

// ---- Selections -----------------------------------------------------------------

TEST(ProgramBuilderTest, ASelectionBeyondTheSourcesIsRefusedBeforeCompiling) {
    ProgramBuilder builder;
    builder.addSource(GL_VERTEX_SHADER, "void main() {}");
    const unsigned int selection[] = {0, 3};
    builder.selectSources(selection, 2);
    try {
        builder.build();
        FAIL();
    } catch (const BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 3u);
        EXPECT_EQ(e.bound(), 1u);
    }
}

TEST(ProgramBuilderTest, ClearDropsTheSelectionWithTheSources) {
    ProgramBuilder builder;
    builder.addSource(GL_VERTEX_SHADER, "void main() {}");
    builder.addSource(GL_FRAGMENT_SHADER, "void main() {}");
    builder.selectSources(std::vector<unsigned int>{1});
    builder.define("X", "1");
    builder.clear();
    EXPECT_TRUE(builder.sources().empty());
    EXPECT_EQ(builder.prefix(), "");
    builder.addSource(GL_VERTEX_SHADER, "void main() {}");
    // A stale selection would ask for source 1 and fail on its bound; the
    // build now gets as far as needing an OpenGL context.
    EXPECT_THROW(builder.build(), UninitializedException);
}

TEST(ProgramBuilderTest, NothingToBuildIsAnError) {
    ProgramBuilder builder;
    EXPECT_EQ(buildStage(builder), "linking|no shader sources");
}

// ---- The built-in sources ---------------------------------------------------------

TEST(ShaderSourcesTest, EighteenFilesWithoutVersionLines) {
    const char* const files[] = {
        "shaders/part_base.vert.inc", "shaders/part_base.frag.inc",   "shaders/part_light.frag.inc",
        "shaders/ui_base.vert.inc",   "shaders/outline.vert",         "shaders/outline.frag",
        "shaders/part.vert",          "shaders/part.frag",            "shaders/part_light_attribute.vert",
        "shaders/part_light_attribute.frag", "shaders/part_light_map.vert", "shaders/part_light_map.frag",
        "shaders/ui_shape.vert",      "shaders/ui_shape.frag",        "shaders/ui_shape_color.vert",
        "shaders/ui_shape_color.frag", "shaders/ui_shape_texture.vert", "shaders/ui_shape_texture.frag",
    };
    std::set<std::string> expected(std::begin(files), std::end(files));
    std::set<std::string> found;
    std::unique_ptr<Package::PackageIterator> it(resources().iterate());
    for (; it->valid(); it->advance())
        if (it->current().rfind("shaders/", 0) == 0)
            found.insert(it->current());
    EXPECT_EQ(found, expected);
    for (const std::string& name : expected) {
        const std::string text = readEntry(name);
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_EQ(text.find("#version"), std::string::npos) << name;
        EXPECT_EQ(text.find("#extension"), std::string::npos) << name;
    }
}
