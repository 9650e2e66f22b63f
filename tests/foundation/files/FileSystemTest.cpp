#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/exceptions/BoundException.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathException.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "support/TempFolder.h"

using namespace TAVO;
using KestruneTest::TempFolder;

namespace {

std::string messageOf(void (*action)(const std::string&), const std::string& argument) {
    try {
        action(argument);
    } catch (const PathException& e) {
        return e.message();
    }
    return "no exception";
}

} // namespace

TEST(FileSystem, CreateDirectoriesMakesEveryMissingLevel) {
    TempFolder folder;
    FileSystem::createDirectories(Path(folder.file("a/b/c")));
    EXPECT_TRUE(FileSystem::isDirectory(Path(folder.file("a/b/c"))));
    // Existing levels pass silently.
    FileSystem::createDirectories(Path(folder.file("a/b")));
}

TEST(FileSystem, CreateDirectoriesNamesTheFailingPrefix) {
    TempFolder folder;
    FileSystem::writeFile(Path(folder.file("file")), std::string("x"));
    try {
        FileSystem::createDirectories(Path(folder.file("file/sub/deeper")));
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.path(), folder.file("file/sub"));
        EXPECT_EQ(e.message(), "Failed to create directory.  (" + folder.file("file/sub") + ")");
    }
    EXPECT_THROW(FileSystem::createDirectories(Path("")), PathException);
}

TEST(FileSystem, ReadableFileIsARegularFile) {
    TempFolder folder;
    EXPECT_FALSE(FileSystem::isReadableFile(Path(folder.file("missing"))));
    EXPECT_FALSE(FileSystem::isReadableFile(Path(folder.path())));
    EXPECT_TRUE(FileSystem::isDirectory(Path(folder.path())));
    FileSystem::writeFile(Path(folder.file("f")), std::string("abc"));
    EXPECT_TRUE(FileSystem::isReadableFile(Path(folder.file("f"))));
    EXPECT_FALSE(FileSystem::isDirectory(Path(folder.file("f"))));
    // A zero byte would cut the name short on its way to the system.
    EXPECT_FALSE(FileSystem::isReadableFile(Path(folder.file(std::string("f\0x", 3)))));
}

TEST(FileSystem, WriteAndReadBackEveryByte) {
    TempFolder folder;
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes += char(i * 31 + (i >> 8));
    const Path path(folder.file("data.bin"));
    FileSystem::writeFile(path, bytes);
    EXPECT_EQ(FileSystem::fileSize(path), bytes.size());
    std::string text = "old contents";
    FileSystem::readFile(path, text);
    EXPECT_EQ(text, bytes);

    IncrementalBuffer buffer;
    buffer.assign("junk", 4);
    FileSystem::readFile(path, buffer);
    ASSERT_EQ(buffer.size(), bytes.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size()), bytes);

    FileSystem::writeFile(path, BorrowConstBuffer("xy", 2));
    FileSystem::readFile(path, text);
    EXPECT_EQ(text, "xy");
    FileSystem::writeFile(path, std::string());
    FileSystem::readFile(path, text);
    EXPECT_EQ(text, "");
}

TEST(FileSystem, MissingFilesAndFoldersAreNotFound) {
    TempFolder folder;
    auto size = [](const std::string& p) { FileSystem::fileSize(Path(p)); };
    auto read = [](const std::string& p) {
        std::string s;
        FileSystem::readFile(Path(p), s);
    };
    EXPECT_EQ(messageOf(size, folder.file("missing")), "Not found.  (" + folder.file("missing") + ")");
    // A folder opens as a stream on this system; it is still no file.
    EXPECT_EQ(messageOf(size, folder.path()), "Not found.  (" + folder.path() + ")");
    EXPECT_EQ(messageOf(read, folder.path()), "Not found.  (" + folder.path() + ")");
    EXPECT_THROW(FileSystem::writeFile(Path(folder.file("no/such/folder")), std::string("x")), PathException);
    std::ifstream stream;
    EXPECT_THROW(FileSystem::openForReading(Path(folder.file("missing")), stream), PathException);
}

TEST(FileSystem, AFailedWriteIsReported) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    try {
        FileSystem::writeFile(Path("/dev/full"), std::string(100000, 'x'));
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.message(), "Write failed.  (/dev/full)");
    }
}

TEST(FileSystem, FilesOfFourGigabytesAreRefusedNotTruncated) {
    TempFolder folder;
    const std::string name = folder.file("huge");
    {
        const int fd = open(name.c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        const bool sized = ftruncate(fd, off_t(0x100000000LL) + 5) == 0;
        close(fd);
        if (!sized)
            GTEST_SKIP() << "no sparse files here";
    }
    try {
        FileSystem::fileSize(Path(name));
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.message(), "File too large.  (" + name + ")");
    }
    std::string text;
    EXPECT_THROW(FileSystem::readFile(Path(name), text), PathException);
    std::ifstream stream(name, std::ios::binary);
    EXPECT_THROW(FileSystem::streamSize(stream), BoundException<unsigned long long>);
}

TEST(FileSystem, StreamSizeRewinds) {
    TempFolder folder;
    FileSystem::writeFile(Path(folder.file("f")), std::string("hello"));
    std::ifstream stream;
    FileSystem::openForReading(Path(folder.file("f")), stream);
    stream.get();
    EXPECT_EQ(FileSystem::streamSize(stream), 5u);
    EXPECT_EQ(stream.get(), 'h');
}

TEST(FileSystem, MoveRespectsTheReplaceFlag) {
    TempFolder folder;
    const Path from(folder.file("from")), to(folder.file("to"));
    FileSystem::writeFile(from, std::string("new"));
    FileSystem::writeFile(to, std::string("old"));
    FileSystem::move(from, to, false);
    std::string text;
    FileSystem::readFile(to, text);
    EXPECT_EQ(text, "old");
    EXPECT_TRUE(FileSystem::isReadableFile(from));

    FileSystem::move(from, to, true);
    FileSystem::readFile(to, text);
    EXPECT_EQ(text, "new");
    EXPECT_FALSE(FileSystem::isReadableFile(from));

    FileSystem::move(to, from, false);
    EXPECT_TRUE(FileSystem::isReadableFile(from));
}

TEST(FileSystem, FailedMoveCarriesTheSystemErrorNumber) {
    TempFolder folder;
    const std::string from = folder.file("missing");
    const std::string to = folder.file("to");
    try {
        FileSystem::move(Path(from), Path(to), true);
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.path(), from);
        EXPECT_EQ(e.message(), "Could not move to " + to + " (Windows System Error Code 0x" +
                                   FileSystem::hexText(ENOENT) + ") (" + from + ")");
    }
    // Without replace, an existing target that is no readable file stops the move.
    FileSystem::writeFile(Path(from), std::string("x"));
    FileSystem::createDirectories(Path(folder.file("dir")));
    EXPECT_THROW(FileSystem::move(Path(from), Path(folder.file("dir")), false), PathException);
    EXPECT_TRUE(FileSystem::isReadableFile(Path(from)));
}

TEST(FileSystem, MoveAcrossFileSystemsCopiesAndDeletes) {
    TempFolder here;
    struct stat a, b;
    if (stat(here.path().c_str(), &a) != 0 || stat("/dev/shm", &b) != 0 || a.st_dev == b.st_dev ||
        access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string there = "/dev/shm/kestrune-move-" + std::to_string(getpid());
    const std::string contents(100000, 'q');
    FileSystem::writeFile(Path(here.file("f")), contents);
    FileSystem::move(Path(here.file("f")), Path(there), true);
    std::string text;
    FileSystem::readFile(Path(there), text);
    std::remove(there.c_str());
    EXPECT_EQ(text, contents);
    EXPECT_FALSE(FileSystem::isReadableFile(Path(here.file("f"))));
}

TEST(FileSystem, RemoveDeletesOrThrows) {
    TempFolder folder;
    const Path path(folder.file("f"));
    FileSystem::writeFile(path, std::string("x"));
    FileSystem::remove(path);
    EXPECT_FALSE(FileSystem::isReadableFile(path));
    try {
        FileSystem::remove(path);
        FAIL();
    } catch (const PathException& e) {
        EXPECT_EQ(e.message(), "Remove failed.  (" + path.str() + ")");
    }
}

TEST(FileSystem, HexText) {
    EXPECT_EQ(FileSystem::hexText(0), "0");
    EXPECT_EQ(FileSystem::hexText(0x1f), "1f");
    EXPECT_EQ(FileSystem::hexText(0xFFFFFFFFu), "ffffffff");
}
