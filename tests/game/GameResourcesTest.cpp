// Where the game's resources come from: the built-in archive, its
// extraction into a folder, a folder used instead, and the window icon read
// from either.
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "game/GameResources.h"
#include "game/StartupException.h"
#include "imaging/Factory.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGExporter.h"
#include "resources/BuiltInResources.h"
#include "sdlgl/Surface.h"
#include "support/TempFolder.h"

using KestruneTest::TempFolder;

namespace {


std::string entryBytes(const TAVO::Package& package, const std::string& name) {
    auto reader = package.openReader(name);
    if (!reader)
        return "(missing)";
    TAVO::IncrementalBuffer bytes;
    TAVO::ReadStream::readToEnd(reader->stream(), bytes);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> namesOf(const TAVO::Package& package) {
    std::vector<std::string> names;
    for (auto it = package.iterateShared(); it->valid(); it->advance())
        names.push_back(it->current());
    return names;
}

} // namespace

TEST(GameResources, WithoutAFolderTheBuiltInArchiveIsThePackage) {
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    EXPECT_EQ(&resources.package(), static_cast<const TAVO::Package*>(&resources.builtIn()));
    for (const char* name : {"assets/icon.png", "assets/digits.dat", "shaders/part.vert"})
        EXPECT_TRUE(resources.package().exists(name)) << name;
}

TEST(GameResources, ExtractionWritesEveryEntryBelowTheFolder) {
    TempFolder folder;
    const std::string target = folder.file("resources");
    std::filesystem::create_directories(target + "/shaders");
    // A file of the archive's is replaced; a file of the player's stays.
    std::ofstream(target + "/shaders/part.vert") << "old";
    std::ofstream(target + "/notes.txt") << "mine";
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    // Trailing separators are dropped: the entries go below the folder itself.
    resources.extract(target + "//");
    const std::vector<std::string> names = namesOf(resources.builtIn());
    ASSERT_GT(names.size(), 10u);
    for (const std::string& name : names)
        EXPECT_EQ(readFile(target + "/" + name), entryBytes(resources.builtIn(), name)) << name;
    EXPECT_EQ(readFile(target + "/notes.txt"), "mine");
    // Extracting does not switch the package to the folder.
    EXPECT_EQ(&resources.package(), static_cast<const TAVO::Package*>(&resources.builtIn()));
}

TEST(GameResources, AFolderUsedInsteadServesItsOwnFiles) {
    TempFolder folder;
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    resources.extract(folder.path());
    std::ofstream(folder.file("shaders/part.vert"), std::ios::trunc) << "// changed\n";
    resources.useFolder(folder.path() + "/");
    EXPECT_EQ(entryBytes(resources.package(), "shaders/part.vert"), "// changed\n");
    EXPECT_EQ(entryBytes(resources.package(), "assets/digits.dat"), entryBytes(resources.builtIn(), "assets/digits.dat"));
    std::filesystem::remove(folder.file("assets/digits.dat"));
    EXPECT_FALSE(resources.package().openReader("assets/digits.dat"));
}

TEST(GameResources, TheWindowIconIsAnRGBASurface) {
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    TAVO::IK::SDLGL::Surface icon = resources.windowIcon();
    ASSERT_NE(icon.surface(), nullptr);
    EXPECT_EQ(icon.surface()->w, 64);
    EXPECT_EQ(icon.surface()->h, 64);
    EXPECT_EQ(icon.surface()->format->BytesPerPixel, 4);
}

TEST(GameResources, AMissingIconNamesItsFile) {
    TempFolder folder;
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    resources.extract(folder.path());
    std::filesystem::remove(folder.file("assets/icon.png"));
    resources.useFolder(folder.path() + "/");
    try {
        resources.windowIcon();
        FAIL() << "no exception";
    } catch (const StartupException& e) {
        EXPECT_EQ(e.file(), folder.file("assets/icon.png"));
        EXPECT_EQ(e.line(), 0u);
        const auto* cause = dynamic_cast<const TAVO::NotFoundException<std::string>*>(&e.cause());
        ASSERT_NE(cause, nullptr);
        EXPECT_EQ(cause->key(), "assets/icon.png");
    }
    EXPECT_EQ(GameResources(BuiltInResources::data(), BuiltInResources::size()).source("assets/icon.png"),
              "assets/icon.png (built in)");
}

TEST(GameResources, ADamagedOrUnsuitableIconThrowsCleanly) {
    TempFolder folder;
    GameResources resources(BuiltInResources::data(), BuiltInResources::size());
    resources.extract(folder.path());
    resources.useFolder(folder.path());
    const std::string icon = folder.file("assets/icon.png");
    const std::string good = readFile(icon);
    // Cut short, and with its header bytes changed: each names the file.
    std::ofstream(icon, std::ios::binary | std::ios::trunc) << good.substr(0, good.size() / 2);
    try {
        resources.windowIcon();
        FAIL() << "no exception";
    } catch (const StartupException& e) {
        EXPECT_EQ(e.file(), icon);
        EXPECT_EQ(e.message(), icon + ": " + e.cause().message());
    }
    std::string bent = good;
    bent[20] = char(0x7F);
    std::ofstream(icon, std::ios::binary | std::ios::trunc) << bent;
    EXPECT_THROW(resources.windowIcon(), TAVO::Exception);
    std::ofstream(icon, std::ios::binary | std::ios::trunc) << "";
    EXPECT_THROW(resources.windowIcon(), TAVO::Exception);
    // A grey picture is a good PNG but no window icon.
    TAVO::IncrementalBuffer grey(0, 16 * 16);
    TAVO::Migration::PNGExporter exporter;
    TAVO::Migration::Factory().exportFile(grey, TAVO::Migration::ImageMetadata(16, 16, 1, 8), icon, exporter);
    EXPECT_THROW(resources.windowIcon(), TAVO::Exception);
}
