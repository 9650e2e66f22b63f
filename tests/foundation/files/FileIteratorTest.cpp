#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/exceptions/SupportException.h"
#include "foundation/files/FSFileIterator.h"
#include "foundation/files/FileIterationException.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/NativeFileIterator.h"
#include "foundation/files/RecursiveFileIterator.h"
#include "support/TempFolder.h"
#include "support/UnprivilegedChild.h"

using namespace TAVO;
using KestruneTest::TempFolder;
using KestruneTest::UnprivilegedChild;

namespace {

void touch(const std::string& path) {
    FileSystem::createDirectories(Path::directory(Path(path)));
    FileSystem::writeFile(Path(path), std::string("x"));
}

std::vector<std::string> walk(const std::string& root) {
    std::vector<std::string> paths;
    RecursiveFileIterator files(std::shared_ptr<FileIterator>(NativeFileIterator::create(root)));
    for (; files.hasCurrent(); files.advance()) {
        EXPECT_FALSE(files.current().isDirectory());
        paths.push_back(files.current().path());
    }
    return paths;
}

} // namespace

TEST(FileIterationException, Messages) {
    EXPECT_EQ(FileIterationException(SourceLocation(), "").message(), "File iteration error. ");
    EXPECT_EQ(FileIterationException(SourceLocation(), "d/*.*").message(), "File iteration error (d/*.*). ");
}

TEST(NativeFileIterator, AnEmptyFolderListsItsOwnTwoEntries) {
    TempFolder folder;
    NativeFileIterator listing(folder.path());
    std::vector<std::string> names;
    for (; listing.valid(); listing.next()) {
        EXPECT_TRUE(listing.isDirectory());
        names.push_back(listing.name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{".", ".."}));
    EXPECT_TRUE(walk(folder.path()).empty());
}

TEST(NativeFileIterator, ListsSortedWithPrefixedPaths) {
    TempFolder folder;
    touch(folder.file("b"));
    touch(folder.file("a"));
    FileSystem::createDirectories(Path(folder.file("c")));
    NativeFileIterator listing(folder.path() + "/");
    EXPECT_EQ(listing.prefix(), folder.path() + "/");
    std::vector<std::string> names;
    for (; listing.valid(); listing.next())
        names.push_back(listing.name());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a", "b", "c"}));

    listing.rewind();
    listing.next();
    listing.next();
    EXPECT_EQ(listing.path(), folder.file("a"));
    EXPECT_FALSE(listing.isDirectory());
    EXPECT_THROW(delete listing.openDirectory(), FileIterationException);
    listing.next();
    listing.next();
    std::unique_ptr<FileIterator> child(listing.openDirectory());
    EXPECT_EQ(child->name(), ".");
}

TEST(NativeFileIterator, FailuresCarryTheirDetail) {
    TempFolder folder;
    try {
        NativeFileIterator listing(folder.file("missing"));
        FAIL();
    } catch (const FileIterationException& e) {
        EXPECT_EQ(e.detail(), folder.file("missing") + "/*.*");
    }
    EXPECT_THROW(NativeFileIterator(""), FileIterationException);

    NativeFileIterator listing(folder.path());
    while (listing.valid())
        listing.next();
    listing.next();
    EXPECT_FALSE(listing.valid());
    try {
        listing.name();
        FAIL();
    } catch (const FileIterationException& e) {
        EXPECT_EQ(e.detail(), folder.path() + "/");
    }
}

TEST(RecursiveFileIterator, WalksDepthFirstAndSkipsDotFolders) {
    TempFolder folder;
    const std::string a = folder.file("a");
    touch(a + "/x");
    touch(a + "/b/y");
    touch(a + "/.hidden/z");
    touch(a + "/.f");
    EXPECT_EQ(walk(a), (std::vector<std::string>{a + "/.f", a + "/b/y", a + "/x"}));

    RecursiveFileIterator done(std::shared_ptr<FileIterator>(NativeFileIterator::create(folder.file("a/b"))));
    done.advance();
    EXPECT_FALSE(done.hasCurrent());
    EXPECT_THROW(done.current(), FileIterationException);
    EXPECT_THROW(done.advance(), FileIterationException);
}

TEST(RecursiveFileIterator, NeverFollowsALinkIntoAFolder) {
    TempFolder folder;
    touch(folder.file("tree/f"));
    // A link to an ancestor would make the walk endless.
    ASSERT_EQ(symlink(folder.file("tree").c_str(), folder.file("tree/loop").c_str()), 0);
    const std::vector<std::string> paths = walk(folder.file("tree"));
    EXPECT_EQ(paths, (std::vector<std::string>{folder.file("tree/f"), folder.file("tree/loop")}));
}

TEST(RecursiveFileIterator, AnUnlistableFolderThrowsAndIsPassedOnTheNextAdvance) {
    TempFolder folder;
    touch(folder.file("r/a"));
    touch(folder.file("r/b/f"));
    touch(folder.file("r/c"));
    touch(folder.file("s/a/f"));
    touch(folder.file("s/z"));
    // Folder permissions do not bind root: the walk is a child that is not.
    UnprivilegedChild::lend(folder.path());
    ASSERT_EQ(chmod(folder.file("r/b").c_str(), 0), 0);
    ASSERT_EQ(chmod(folder.file("s/a").c_str(), 0), 0);
    // Where the walk rests at each step, and the steps that threw.
    const std::string steps = UnprivilegedChild::run([&] {
        std::string seen;
        auto name = [](RecursiveFileIterator& files) {
            return files.hasCurrent() ? files.current().name() : std::string("(end)");
        };
        RecursiveFileIterator files(std::shared_ptr<FileIterator>(NativeFileIterator::create(folder.file("r"))));
        seen += name(files);
        for (int step = 0; step < 4 && files.hasCurrent(); ++step) {
            try {
                files.advance();
            } catch (const FileIterationException& e) {
                seen += " threw " + e.message();
            }
            seen += " " + name(files);
        }
        // A walk whose first entry cannot be listed throws from its start.
        try {
            RecursiveFileIterator blocked(std::shared_ptr<FileIterator>(NativeFileIterator::create(folder.file("s"))));
            seen += "; started";
        } catch (const FileIterationException&) {
            seen += "; threw";
        }
        return seen;
    });
    chmod(folder.file("r/b").c_str(), 0700);
    chmod(folder.file("s/a").c_str(), 0700);
    EXPECT_EQ(steps, "a threw File iteration error (" + folder.file("r/b") + "/*.*).  b c (end); threw");
}

TEST(FSFileIterator, CreateTakesOnlyFileURIs) {
    TempFolder folder;
    touch(folder.file("one"));
    std::unique_ptr<FileIterator> listing(FSFileIterator::create(URI::parse("file://" + folder.path())));
    std::vector<std::string> names;
    for (; listing->valid(); listing->next())
        names.push_back(listing->name());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "one"}));
    for (const char* text : {"http://h/x", "/x", "FILE:///x"}) {
        try {
            delete FSFileIterator::create(URI::parse(text));
            FAIL() << text;
        } catch (const SupportException& e) {
            EXPECT_EQ(e.message(), "No support for " + URI::parse(text).scheme + ". ");
        }
    }
}

namespace {

// A fixed listing: names ending in '/' are folders; the folder "bad/" cannot
// be opened, every other folder holds one file named after it.
class ScriptedIterator : public FileIterator {
public:
    explicit ScriptedIterator(std::vector<std::string> entries) : entries_(std::move(entries)) {}
    std::string name() const override {
        const std::string& entry = entries_.at(index_);
        return entry.back() == '/' ? entry.substr(0, entry.size() - 1) : entry;
    }
    std::string path() const override { return name(); }
    bool isDirectory() const override { return entries_.at(index_).back() == '/'; }
    void rewind() override { index_ = 0; }
    FileIterator* openDirectory() const override {
        if (name() == "bad")
            throw FileIterationException(SourceLocation(), "bad/*.*");
        return new ScriptedIterator({name() + ".file"});
    }
    void next() override {
        if (valid())
            ++index_;
    }
    bool valid() const override { return index_ < entries_.size(); }

private:
    std::vector<std::string> entries_;
    std::size_t index_ = 0;
};

} // namespace

TEST(RecursiveFileIterator, AFolderThatCannotBeListedIsPassedOnTheNextAdvance) {
    auto root = std::make_shared<ScriptedIterator>(std::vector<std::string>{"a", "bad/", "c/", "d"});
    RecursiveFileIterator files(root);
    EXPECT_EQ(files.current().name(), "a");
    EXPECT_THROW(files.advance(), FileIterationException);
    // The walk still rests before the folder it could not enter.
    ASSERT_TRUE(files.hasCurrent());
    EXPECT_EQ(files.current().name(), "bad");
    files.advance();
    EXPECT_EQ(files.current().name(), "c.file");
    files.advance();
    EXPECT_EQ(files.current().name(), "d");
    files.advance();
    EXPECT_FALSE(files.hasCurrent());
}
