#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/packages/ArchiveFile.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using KestruneTest::Command;
using KestruneTest::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string tool = KESTRUNE_BINARY_DIR "/bin/kestrune-archive";

Command::Result archiveTool(const std::string& arguments) {
    return Command::run(tool + " " + arguments + " 2>&1");
}

void writeFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(ArchiveTool, PackIsReproducibleAndListShowsSizesAndNames) {
    TempFolder folder;
    writeFile(folder.file("in/b.txt"), "bee");
    writeFile(folder.file("in/a/z.dat"), std::string(1000, 'z'));
    writeFile(folder.file("in/a.txt"), "a");
    ASSERT_EQ(archiveTool("pack " + folder.file("in") + " " + folder.file("one.dat")).exitCode, 0);
    ASSERT_EQ(archiveTool("pack " + folder.file("in") + " " + folder.file("two.dat")).exitCode, 0);
    EXPECT_EQ(readFile(folder.file("one.dat")), readFile(folder.file("two.dat")));
    const auto listed = archiveTool("list " + folder.file("one.dat"));
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output, "1 a.txt\n1000 a/z.dat\n3 b.txt\nsegments: 1\nstatus: NORMAL\n");
}

TEST(ArchiveTool, ExtractGivesBackTheFolder) {
    TempFolder folder;
    writeFile(folder.file("in/shaders/part.vert"), "void main() {}\n");
    writeFile(folder.file("in/assets/icon.png"), std::string("\x89PNG\0\1\2", 7));
    ASSERT_EQ(archiveTool("pack " + folder.file("in") + " " + folder.file("r.dat")).exitCode, 0);
    ASSERT_EQ(archiveTool("extract " + folder.file("r.dat") + " " + folder.file("out")).exitCode, 0);
    EXPECT_EQ(Command::run("diff -r " + folder.file("in") + " " + folder.file("out")).exitCode, 0);
}

TEST(ArchiveTool, ExtractNeverWritesOutsideItsFolder) {
    TempFolder folder;
    writeFile(folder.file("payload"), "evil");
    for (const std::string name : {"../escaped", "/tmp/absolute-kestrune-test", "a/../../escaped2", "a//b"}) {
        const std::string archive = folder.file("hostile.dat");
        fs::remove(archive);
        ASSERT_EQ(archiveTool("put " + archive + " '" + name + "' " + folder.file("payload")).exitCode, 0);
        EXPECT_NE(archiveTool("extract " + archive + " " + folder.file("out/inner")).exitCode, 0) << name;
    }
    EXPECT_FALSE(fs::exists(folder.file("out/escaped")));
    EXPECT_FALSE(fs::exists(folder.file("escaped")));
    EXPECT_FALSE(fs::exists(folder.file("out/escaped2")));
    EXPECT_FALSE(fs::exists("/tmp/absolute-kestrune-test"));
}

TEST(ArchiveTool, CheckTellsIntactDamagedAndMissing) {
    TempFolder folder;
    writeFile(folder.file("data"), "0123456789");
    const std::string archive = folder.file("a.dat");
    ASSERT_EQ(archiveTool("put " + archive + " first " + folder.file("data")).exitCode, 0);
    ASSERT_EQ(archiveTool("put " + archive + " second " + folder.file("data")).exitCode, 0);
    EXPECT_EQ(archiveTool("check " + archive).exitCode, 0);

    fs::resize_file(archive, fs::file_size(archive) - 3);
    const auto damaged = archiveTool("check " + archive);
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_NE(damaged.output.find("status: INVALID_SEGMENT"), std::string::npos) << damaged.output;
    EXPECT_NE(archiveTool("put " + archive + " third " + folder.file("data")).exitCode, 0);

    EXPECT_EQ(archiveTool("compact " + archive).exitCode, 0);
    EXPECT_EQ(archiveTool("check " + archive).exitCode, 0);
    EXPECT_EQ(archiveTool("list " + archive).output, "10 first\nsegments: 1\nstatus: NORMAL\n");

    EXPECT_EQ(archiveTool("check " + folder.file("missing.dat")).exitCode, 1);
    EXPECT_FALSE(fs::exists(folder.file("missing.dat")));
}

TEST(ArchiveTool, PutReplacesOrAppendsInOneCommit) {
    TempFolder folder;
    writeFile(folder.file("x"), "xyz");
    const std::string archive = folder.file("p.dat");
    ASSERT_EQ(archiveTool("put " + archive + " e " + folder.file("x")).exitCode, 0);
    ASSERT_EQ(archiveTool("put " + archive + " e " + folder.file("x") + " --append").exitCode, 0);
    ASSERT_EQ(archiveTool("put --append " + archive + " e " + folder.file("x")).exitCode, 0);
    EXPECT_EQ(archiveTool("list " + archive).output, "9 e\nsegments: 3\nstatus: NORMAL\n");
    ASSERT_EQ(archiveTool("put " + archive + " e " + folder.file("x")).exitCode, 0);
    EXPECT_EQ(archiveTool("list " + archive).output, "3 e\nsegments: 4\nstatus: NORMAL\n");
    EXPECT_EQ(archiveTool("put " + archive + " e " + folder.file("no-such-file")).exitCode, 1);
}

TEST(ArchiveTool, UnknownSubcommandsAndMissingWordsAreErrors) {
    EXPECT_EQ(archiveTool("").exitCode, 0);
    EXPECT_EQ(archiveTool("frobnicate").exitCode, 1);
    EXPECT_EQ(archiveTool("list").exitCode, 1);
}
