#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ShippedResources.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace ResourcesTest;
using KestruneTest::Command;
using KestruneTest::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string generator = KESTRUNE_BINARY_DIR "/bin/kestrune-assets";

std::set<std::string> expectedNames() {
    std::set<std::string> names(shapeFileNames().begin(), shapeFileNames().end());
    names.insert("assets/icon.png");
    for (const std::string& shader : shaderNames())
        names.insert(shader);
    return names;
}

std::set<std::string> filesBelow(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& file : fs::recursive_directory_iterator(folder))
        if (file.is_regular_file())
            names.insert(fs::relative(file.path(), folder).generic_string());
    return names;
}

} // namespace

TEST(BuiltInResources, OpensAsAnIntactArchiveFromMemory) {
    EmbeddedArchive embedded;
    EXPECT_TRUE(embedded.archive().statistics().isIntact());
    EXPECT_EQ(embedded.archive().statistics().segments, 1u);
    EXPECT_EQ(embedded.archive().statistics().liveEntries, expectedNames().size());
}

TEST(BuiltInResources, ListsExactlyTheAssetsAndEveryShaderSource) {
    EmbeddedArchive embedded;
    const std::vector<std::string> names = embedded.names();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expectedNames());
    EXPECT_EQ(names.size(), expectedNames().size()) << "a name listed twice";
}

TEST(BuiltInResources, EveryEntryHoldsTheBytesOfItsFile) {
    EmbeddedArchive embedded;
    EXPECT_EQ(filesBelow(packedFolder()), expectedNames()) << "the packed folder holds other files";
    for (const std::string& name : expectedNames()) {
        const std::string bytes = embedded.entry(name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, readFile(packedFolder() + "/" + name)) << name;
    }
    for (const std::string& shader : shaderNames())
        EXPECT_EQ(embedded.entry(shader), readFile(KESTRUNE_SOURCE_DIR "/resources/" + shader)) << shader;
}

TEST(BuiltInResources, TheGeneratorDrawsTheSameFilesOnEveryRun) {
    TempFolder folder;
    ASSERT_EQ(Command::run(generator + " " + folder.path() + " 2>&1").exitCode, 0);
    std::set<std::string> expected(shapeFileNames().begin(), shapeFileNames().end());
    expected.insert("assets/icon.png");
    EXPECT_EQ(filesBelow(folder.path()), expected);
    EmbeddedArchive embedded;
    for (const std::string& name : expected)
        EXPECT_EQ(readFile(folder.file(name)), embedded.entry(name)) << name;
}

TEST(BuiltInResources, TheGeneratorReportsAFolderItCannotWrite) {
    TempFolder folder;
    Command::run("touch " + folder.file("file"));
    const auto blocked = Command::run(generator + " " + folder.file("file") + " 2>&1");
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_FALSE(blocked.output.empty());
    const auto usage = Command::run(generator + " 2>&1");
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_NE(usage.output.find("usage: kestrune-assets FOLDER"), std::string::npos);
}
