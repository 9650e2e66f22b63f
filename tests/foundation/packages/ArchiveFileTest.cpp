#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/exceptions/Exception.h"
#include "foundation/packages/Archive.h"
#include "foundation/packages/ArchiveFile.h"
#include "foundation/packages/ArchiveImpairedException.h"
#include "support/Command.h"
#include "support/TempFolder.h"

using namespace TAVO;
using KestruneTest::Command;
using KestruneTest::TempFolder;
namespace fs = std::filesystem;

namespace {

using Contents = std::map<std::string, std::string>;

void put(Package& package, const std::string& name, const std::string& content) {
    auto writer = package.openWriter(name);
    writer->stream().write(content.data(), content.size());
}

void append(Package& package, const std::string& name, const std::string& content) {
    auto writer = package.openAppender(name);
    writer->stream().write(content.data(), content.size());
}

Contents contents(const Package& package) {
    Contents all;
    for (auto names = package.iterateShared(); names->valid(); names->advance()) {
        const std::string name = names->current();
        auto reader = package.openReader(name);
        std::string content(package.size(name), 0);
        reader->stream().read(content.data(), content.size());
        all[name] = content;
    }
    return all;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// What the independent reader makes of a file, as the JSON line it prints.
std::string oracleRead(const std::string& path, const std::string& verb = "read") {
    const auto result = Command::run("python3 " KESTRUNE_SOURCE_DIR "/tests/foundation/packages/archive_oracle.py " +
                                     verb + " '" + path + "'");
    EXPECT_EQ(result.exitCode, 0);
    return result.output.substr(0, result.output.find('\n'));
}

std::string asJson(const Contents& all, const std::string& status) {
    std::string json = "{\"entries\": {";
    bool first = true;
    for (const auto& [name, content] : all) {
        json += (first ? "\"" : ", \"") + name + "\": \"" + hex(content) + "\"";
        first = false;
    }
    return json + "}, \"status\": \"" + status + "\"}";
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

TEST(ArchiveOracle, TheIndependentReaderAgreesWithOurWriter) {
    TempFolder folder;
    const std::string path = folder.file("games.dat");
    Contents expected;
    {
        ArchiveFile file(path, false, false);
        ASSERT_TRUE(file.hasArchive()) << file.error();
        Archive& a = *file.archive();
        put(a, "index", "games: 2");
        put(a, "puzzle/1/setup", std::string(3000, 's'));
        append(a, "puzzle/1/table", "move 1;");
        append(a, "puzzle/1/table", "move 2;");
        put(a, "puzzle/2/setup", "gone soon");
        a.remove("puzzle/2/setup");
        put(a, "temporary", "renamed");
        a.rename("temporary", "puzzle/3/setup");
        put(a, "large", std::string(150000, 'x'));
        append(a, "large", std::string(250000, 'y')); // a header bigger than its reserve
        expected = contents(a);
    }
    EXPECT_EQ(oracleRead(path), asJson(expected, "NORMAL"));
}

TEST(ArchiveOracle, WeReadWhatTheIndependentWriterWrites) {
    TempFolder folder;
    const std::string path = folder.file("foreign.dat");
    const std::string theirs = oracleRead(path, "write");
    ArchiveFile file(path, true, false);
    ASSERT_TRUE(file.hasArchive()) << file.error();
    EXPECT_EQ(file.archive()->statistics().status, Archive::NORMAL);
    EXPECT_EQ(asJson(contents(*file.archive()), "NORMAL"), theirs);
    EXPECT_EQ(file.archive()->statistics().segments, 6u);
}

TEST(ArchiveFile, OpeningAMissingFileCreatesAnEmptyArchive) {
    TempFolder folder;
    const std::string path = folder.file("new.dat");
    ArchiveFile file(path, false, false);
    ASSERT_TRUE(file.hasArchive());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(contents(*file.archive()).empty());
}

TEST(ArchiveFile, AFileThatCannotBeOpenedHoldsNoArchive) {
    TempFolder folder;
    ArchiveFile folderAsFile(folder.path(), false, false);
    EXPECT_FALSE(folderAsFile.hasArchive());
    EXPECT_EQ(folderAsFile.error().rfind("Unable to write to archive: " + folder.path(), 0), 0u);
    ArchiveFile missing(folder.file("missing.dat"), true, false);
    EXPECT_FALSE(missing.hasArchive());
    EXPECT_EQ(missing.error().rfind("Unable to read archive: ", 0), 0u);
    EXPECT_FALSE(fs::exists(folder.file("missing.dat")));
}

TEST(ArchiveFile, ASecondWritableOpenFailsAndLeavesTheFileAlone) {
    TempFolder folder;
    const std::string path = folder.file("locked.dat");
    ArchiveFile first(path, false, false);
    put(*first.archive(), "kept", "safe");
    const std::string before = fileBytes(path);

    ArchiveFile second(path, false, true); // even with create set
    EXPECT_FALSE(second.hasArchive());
    EXPECT_NE(second.error().find("Unable to write to archive: "), std::string::npos);
    EXPECT_EQ(fileBytes(path), before);

    // Another process is refused the same way.
    const pid_t child = fork();
    if (child == 0) {
        ArchiveFile other(path, false, false);
        _exit(other.hasArchive() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    ArchiveFile reader(path, true, false);
    ASSERT_TRUE(reader.hasArchive());
    EXPECT_EQ(contents(*reader.archive()), (Contents{{"kept", "safe"}}));
}

TEST(ArchiveFile, CompactionKeepsEveryLiveEntryInOneSegment) {
    TempFolder folder;
    const std::string path = folder.file("c.dat");
    ArchiveFile file(path, false, false);
    for (int i = 0; i < 50; ++i)
        append(*file.archive(), "log", "line " + std::to_string(i) + "\n");
    put(*file.archive(), "a", "1");
    put(*file.archive(), "a", "2");
    put(*file.archive(), "b", "3");
    file.archive()->remove("b");
    const Contents before = contents(*file.archive());
    const auto size = fs::file_size(path);
    ASSERT_TRUE(file.compact()) << file.error();
    ASSERT_TRUE(file.hasArchive());
    EXPECT_EQ(contents(*file.archive()), before);
    EXPECT_EQ(file.archive()->statistics().segments, 1u);
    EXPECT_LT(fs::file_size(path), size);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    put(*file.archive(), "after", "works");
    EXPECT_EQ(contents(*file.archive()).at("after"), "works");
}

TEST(ArchiveFile, ATornTailIsRecoveredByCompaction) {
    TempFolder folder;
    const std::string path = folder.file("torn.dat");
    std::string committed, whole;
    Contents expected;
    {
        ArchiveFile file(path, false, false);
        put(*file.archive(), "one", "first");
        append(*file.archive(), "one", " and more");
        put(*file.archive(), "two", "second");
        expected = contents(*file.archive());
        committed = fileBytes(path);
        put(*file.archive(), "three", "the torn one");
        whole = fileBytes(path);
    }
    for (std::size_t cut = committed.size() + 1; cut < whole.size(); ++cut) {
        writeBytes(path, whole.substr(0, cut));
        ArchiveFile file(path, false, false);
        ASSERT_TRUE(file.hasArchive());
        EXPECT_FALSE(file.archive()->statistics().isIntact()) << cut;
        EXPECT_EQ(contents(*file.archive()), expected) << cut;
        EXPECT_THROW(put(*file.archive(), "x", "y"), ArchiveImpairedException);
        ASSERT_TRUE(file.compact()) << file.error();
        EXPECT_TRUE(file.archive()->statistics().isIntact());
        EXPECT_EQ(contents(*file.archive()), expected) << cut;
        put(*file.archive(), "resumed", "ok");
    }
}

TEST(ArchiveFile, RandomChangesMatchAModelAcrossReopens) {
    TempFolder folder;
    const std::string path = folder.file("model.dat");
    std::mt19937 random(99);
    Contents model;
    auto file = std::make_unique<ArchiveFile>(path, false, false);
    const auto pickName = [&] { return "n" + std::to_string(random() % 12); };
    const auto randomText = [&] {
        std::string t(random() % 300, 0);
        for (char& c : t)
            c = char(random());
        return t;
    };
    for (int step = 0; step < 400; ++step) {
        Archive& a = *file->archive();
        const std::string name = pickName();
        switch (random() % 7) {
        case 0:
        case 1: {
            const std::string t = randomText();
            put(a, name, t);
            model[name] = t;
            break;
        }
        case 2: {
            const std::string t = randomText();
            append(a, name, t);
            model[name] += t;
            break;
        }
        case 3: {
            // Several flushes make several appended segments of one writer.
            auto writer = a.openWriter(name);
            std::string all;
            for (int k = 0; k < 3; ++k) {
                const std::string t = randomText();
                writer->stream().write(t.data(), t.size());
                writer->stream().flush();
                all += t;
            }
            writer.reset();
            model[name] = all;
            break;
        }
        case 4:
            if (model.count(name)) {
                a.remove(name);
                model.erase(name);
            }
            break;
        case 5:
            if (model.count(name)) {
                const std::string to = pickName();
                a.rename(name, to);
                const std::string moved = model[name];
                model.erase(name);
                model[to] = moved;
            }
            break;
        case 6:
            if (!a.statistics().isCompactEnough() || random() % 4 == 0) {
                ASSERT_TRUE(file->compact()) << file->error();
            }
            break;
        }
        file.reset();
        file = std::make_unique<ArchiveFile>(path, false, false);
        ASSERT_TRUE(file->hasArchive());
        ASSERT_TRUE(file->archive()->statistics().isIntact()) << step;
        ASSERT_EQ(contents(*file->archive()), model) << step;
    }
    file.reset();
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(ArchiveFile, KilledWritersNeverLoseACommittedEntry) {
    TempFolder folder;
    const std::string path = folder.file("killed.dat");
    std::mt19937 random(5);
    int nextValue = 0;
    for (int round = 0; round < 25; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const int first = nextValue;
        const pid_t child = fork();
        if (child == 0) {
            close(pipeEnds[0]);
            ArchiveFile file(path, false, false);
            if (!file.hasArchive())
                _exit(3);
            if (!file.archive()->statistics().isIntact() && !file.compact())
                _exit(4);
            for (int value = first;; ++value) {
                const std::string line = "entry " + std::to_string(value) + ";";
                append(*file.archive(), "journal", line);
                put(*file.archive(), "last", std::to_string(value));
                // Reported only once both are committed.
                if (write(pipeEnds[1], &value, sizeof value) != sizeof value)
                    _exit(5);
            }
        }
        close(pipeEnds[1]);
        // Let the child commit a few entries, then kill it at a random moment.
        int value, last = first - 1;
        for (int wanted = int(random() % 4); wanted > 0; --wanted)
            if (read(pipeEnds[0], &value, sizeof value) == sizeof value)
                last = value;
        usleep(random() % 4000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);
        while (read(pipeEnds[0], &value, sizeof value) == sizeof value)
            last = value;
        close(pipeEnds[0]);

        ArchiveFile file(path, true, false);
        ASSERT_TRUE(file.hasArchive());
        const Contents now = contents(*file.archive());
        std::string expected;
        for (int v = 0; v <= last; ++v)
            expected += "entry " + std::to_string(v) + ";";
        // The entry the child was writing when killed may or may not be there.
        const std::string journal = now.count("journal") ? now.at("journal") : "";
        ASSERT_EQ(journal.substr(0, expected.size()), expected) << round;
        const std::string extra = journal.substr(expected.size());
        ASSERT_TRUE(extra.empty() || extra == "entry " + std::to_string(last + 1) + ";") << extra;
        nextValue = extra.empty() ? last + 1 : last + 2;
        const int lastValue = now.count("last") ? std::stoi(now.at("last")) : -1;
        ASSERT_TRUE(lastValue == last || lastValue == last + 1);
        if (!extra.empty() && lastValue == last) {
            // Killed between the two commits: write the second one ourselves.
            ArchiveFile fix(path, false, false);
            if (!fix.archive()->statistics().isIntact()) {
                ASSERT_TRUE(fix.compact());
            }
            put(*fix.archive(), "last", std::to_string(last + 1));
        }
    }
    EXPECT_GT(nextValue, 25) << "the children committed too little to test anything";
    ArchiveFile file(path, false, false);
    if (!file.archive()->statistics().isIntact()) {
        ASSERT_TRUE(file.compact()) << file.error();
    }
    EXPECT_TRUE(file.archive()->statistics().isIntact());
    put(*file.archive(), "after", "resumed");
}
