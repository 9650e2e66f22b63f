#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathException.h"
#include "foundation/packages/FSPackage.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/streams/WriteStream.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;
using KestruneTest::TempFolder;

namespace {

void put(Package& package, const std::string& name, const std::string& contents, bool append = false) {
    std::unique_ptr<Package::Writer> writer = append ? package.openAppender(name) : package.openWriter(name);
    ASSERT_TRUE(writer);
    writer->stream().write(contents.data(), contents.size());
}

std::string get(const Package& package, const std::string& name) {
    std::unique_ptr<Package::Reader> reader = package.openReader(name);
    if (!reader)
        return "<none>";
    std::string contents(package.size(name), '\0');
    reader->stream().read(contents.data(), contents.size());
    EXPECT_TRUE(reader->stream().atEnd());
    return contents;
}

std::vector<std::string> names(const Package& package) {
    std::vector<std::string> result;
    for (std::shared_ptr<Package::PackageIterator> i = package.iterateShared(); i->valid(); i->advance())
        result.push_back(i->current());
    return result;
}

} // namespace

TEST(FSPackage, WritingCreatesFoldersAndTheEntry) {
    TempFolder folder;
    FSPackage package(folder.path());
    EXPECT_FALSE(package.exists("shaders/part.vert"));
    put(package, "shaders/part.vert", "void main() {}");
    EXPECT_TRUE(FileSystem::isDirectory(Path(folder.file("shaders"))));
    EXPECT_TRUE(package.exists("shaders/part.vert"));
    EXPECT_EQ(package.size("shaders/part.vert"), 14u);
    EXPECT_EQ(get(package, "shaders/part.vert"), "void main() {}");
    EXPECT_EQ(package.resolve("shaders/part.vert").str(), folder.file("shaders/part.vert"));
}

TEST(FSPackage, MissingEntries) {
    TempFolder folder;
    FSPackage package(folder.path());
    EXPECT_EQ(package.openReader("missing"), nullptr);
    EXPECT_FALSE(package.exists("missing"));
    EXPECT_THROW(package.size("missing"), PathException);
    EXPECT_THROW(package.remove("missing"), PathException);
    // A folder is no entry.
    FileSystem::createDirectories(Path(folder.file("sub")));
    EXPECT_FALSE(package.exists("sub"));
    EXPECT_EQ(package.openReader("sub"), nullptr);
    EXPECT_EQ(package.openWriter("sub"), nullptr);
}

TEST(FSPackage, AppendCreatesOrExtends) {
    TempFolder folder;
    FSPackage package(folder.path());
    put(package, "log/a.txt", "one", true);
    EXPECT_EQ(get(package, "log/a.txt"), "one");
    put(package, "log/a.txt", "two", true);
    EXPECT_EQ(get(package, "log/a.txt"), "onetwo");
    put(package, "log/a.txt", "new");
    EXPECT_EQ(get(package, "log/a.txt"), "new");
}

TEST(FSPackage, ListsFilesOnlyWithSlashNames) {
    TempFolder folder;
    FSPackage package(folder.path() + "/");
    put(package, "top", "1");
    put(package, "sub/inner", "2");
    put(package, "sub/deeper/x", "3");
    put(package, ".cache/skipped", "4");
    FileSystem::createDirectories(Path(folder.file("empty")));
    std::vector<std::string> listed = names(package);
    EXPECT_EQ(listed, (std::vector<std::string>{"sub/deeper/x", "sub/inner", "top"}));
}

TEST(FSPackage, RemoveAndRename) {
    TempFolder folder;
    FSPackage package(folder.path());
    put(package, "a", "alpha");
    put(package, "b", "beta");
    package.rename("a", "b");
    EXPECT_FALSE(package.exists("a"));
    EXPECT_EQ(get(package, "b"), "alpha");
    package.remove("b");
    EXPECT_FALSE(package.exists("b"));
    EXPECT_THROW(package.rename("a", "c"), PathException);
}

TEST(FSPackage, NamesThatLeaveTheRootAreRefused) {
    TempFolder folder;
    FileSystem::createDirectories(Path(folder.file("root")));
    FSPackage package(folder.file("root"));
    FileSystem::writeFile(Path(folder.file("outside")), std::string("secret"));
    for (const std::string& name : std::vector<std::string>{"../outside", "a/../../outside", "/etc/passwd", "a\\..\\b", "", "a//b", "a/",
                                   "..", std::string("a\0b", 3)}) {
        try {
            package.openWriter(name);
            FAIL() << name;
        } catch (const PathException& e) {
            EXPECT_EQ(e.message(), "Invalid entry name.  (" + name + ")");
        }
        EXPECT_THROW(package.openReader(name), PathException) << name;
        EXPECT_THROW(package.exists(name), PathException) << name;
        EXPECT_THROW(package.remove(name), PathException) << name;
        EXPECT_THROW(package.rename("x", name), PathException) << name;
    }
    std::string kept;
    FileSystem::readFile(Path(folder.file("outside")), kept);
    EXPECT_EQ(kept, "secret");
    // Dots inside a name are ordinary characters.
    put(package, "a..b/.x", "ok");
    EXPECT_EQ(get(package, "a..b/.x"), "ok");
}

TEST(FSPackage, CopiedTreeIsIdenticalByteForByte) {
    TempFolder from, to;
    FSPackage source(from.path()), destination(to.path());
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += char(i % 251);
    put(source, "big.bin", big);
    put(source, "empty", "");
    put(source, "dir/nested/file", "nested");
    destination.copyFrom(source, false);
    EXPECT_EQ(names(destination), names(source));
    const KestruneTest::Command::Result diff = KestruneTest::Command::run("diff -r '" + from.path() + "' '" + to.path() + "'");
    EXPECT_EQ(diff.exitCode, 0) << diff.output;
}

TEST(FSPackage, CopyWithoutOverwriteLeavesExistingEntries) {
    TempFolder from, to;
    FSPackage source(from.path()), destination(to.path());
    put(source, "a", "new a");
    put(source, "b", "new b");
    put(destination, "a", "old");
    destination.copyFrom(source, false);
    EXPECT_EQ(get(destination, "a"), "old");
    EXPECT_EQ(get(destination, "b"), "new b");
    destination.copyFrom(source, true);
    EXPECT_EQ(get(destination, "a"), "new a");
    // A package copied into itself keeps every entry.
    destination.copyFrom(destination, true);
    EXPECT_EQ(get(destination, "a"), "new a");
}

namespace {

// A source whose only entry cannot be opened.
class UnreadablePackage : public FSPackage {
public:
    using FSPackage::FSPackage;
    std::unique_ptr<Reader> openReader(const std::string&) const override { return nullptr; }
};

} // namespace

TEST(FSPackage, CopyNamesAnEntryThatCannotBeOpened) {
    TempFolder from, to;
    UnreadablePackage source(from.path());
    put(source, "entry", "x");
    FSPackage destination(to.path());
    try {
        destination.copyFrom(source, true);
        FAIL();
    } catch (const StreamException& e) {
        EXPECT_EQ(e.message(), "Could not open entry \"entry\" for reading. ");
    }
    FSPackage plain(from.path());
    // The destination cannot write where a folder stands.
    FileSystem::createDirectories(Path(to.file("entry")));
    try {
        destination.copyFrom(plain, true);
        FAIL();
    } catch (const StreamException& e) {
        EXPECT_EQ(e.message(), "Could not open entry \"entry\" for writing. ");
    }
}
