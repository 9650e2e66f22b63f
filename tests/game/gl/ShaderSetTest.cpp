// Every program of the game built from the resource package.
#include <GL/glew.h>

#include <filesystem>

#include "foundation/packages/FSPackage.h"
#include "game/ShaderSet.h"
#include "sdlgl/ShaderBuildException.h"
#include "support/TempFolder.h"
#include "support/gl/GLTest.h"

using KestruneGLTest::GLTest;
using KestruneGLTest::Resources;

// Strict, as in developer mode: no source gives a warning.
TEST_F(GLTest, EveryProgramBuildsFromThePackage) {
    const ShaderSet shaders(Resources::package(), true);
    EXPECT_EQ(shaders.partProgram(Lighting::none).lighting(), Lighting::none);
    EXPECT_EQ(shaders.partProgram(Lighting::map).lighting(), Lighting::map);
    EXPECT_EQ(shaders.partProgram(Lighting::attribute).lighting(), Lighting::attribute);
    EXPECT_NE(shaders.partProgram(Lighting::map).program().name(),
              shaders.partProgram(Lighting::attribute).program().name());
    EXPECT_FALSE(shaders.outlineProgram().empty());
    EXPECT_EQ(shaders.outline().mode(), GLenum(GL_LINES));
    EXPECT_EQ(shaders.outline().count(), 4u);
    EXPECT_EQ(ShaderSet::sources[7].path, std::string("shaders/part_light_map.frag"));
}

TEST_F(GLTest, AMissingSourceStopsTheBuild) {
    KestruneTest::TempFolder folder;
    std::filesystem::copy(std::string(KESTRUNE_SOURCE_DIR) + "/resources/shaders", folder.file("shaders"));
    std::filesystem::remove(folder.file("shaders/part_light.frag.inc"));
    const TAVO::FSPackage package(folder.path());
    try {
        ShaderSet shaders(package, false);
        FAIL() << "built without a source";
    } catch (const TAVO::IK::SDLGL::ShaderBuildException& e) {
        EXPECT_EQ(e.stage(), "loading");
        EXPECT_NE(e.detail().find("shaders/part_light.frag.inc"), std::string::npos);
    }
}
