#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/streams/StreamException.h"
#include "foundation/threads/LogFile.h"
#include "foundation/threads/Time.h"
#include "support/TempFolder.h"

using namespace TAVO;

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::string::size_type start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, text.size()) << "the text ends with an unfinished line";
    return result;
}

const std::regex linePattern(R"(\d{1,4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d\d\d : (.*))");

} // namespace

TEST(LogEntries, WithoutAFileEntriesAreDropped) {
    LogFile log;
    std::shared_ptr<Log::EntrySession> session = log.entry();
    Log::line(session) << "nowhere " << 5;
}

TEST(LogEntries, EachEntryIsOneStampedLine) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.file("kestrune.log");
    {
        LogFile log;
        log.open(path);
        const Time before = Time::now(false);
        Log::line(log.entry()) << "Shutdown.";
        { auto session = log.entry(); }
        Log::line(log.entry()) << "count " << 3u;
        const std::vector<std::string> written = lines(contents(path));
        ASSERT_EQ(written.size(), 3u);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(written[0], match, linePattern)) << written[0];
        EXPECT_EQ(match[1], "Shutdown.");
        const Time stamp(written[0].substr(0, 23));
        EXPECT_LE(Time::difference(before, stamp).count(), 60000u);
        EXPECT_TRUE(std::regex_match(written[1], match, linePattern));
        EXPECT_EQ(match[1], "");
        EXPECT_EQ(written[1].size(), 26u);
        EXPECT_TRUE(std::regex_match(written[2], match, linePattern));
        EXPECT_EQ(match[1], "count 3");
    }
    {
        LogFile again;
        again.open(path);   // appends, never truncates
        Log::line(again.entry()) << "second run";
    }
    EXPECT_EQ(lines(contents(path)).size(), 4u);
}

TEST(LogEntries, UnopenableFileLeavesTheLogOff) {
    KestruneTest::TempFolder folder;
    LogFile log;
    EXPECT_THROW(log.open(folder.file("missing/folder/kestrune.log")), StreamException);
    Log::line(log.entry()) << "ignored";
}

TEST(LogEntries, AnUnopenableFileIsRefusedWithTheSystemsReason) {
    KestruneTest::TempFolder folder;
    LogFile log;
    try {
        log.open(folder.path());
        FAIL() << "a folder opened as a log";
    } catch (const StreamException& e) {
        EXPECT_EQ(e.message(), "Unable to open the log for writing: Is a directory. ");
    }
}

TEST(LogEntries, ASecondEntryOnTheSameThreadIsNotBlocked) {
    std::ostringstream out;
    LogFile log;
    log.open(out);
    {
        auto first = log.entry();
        auto second = log.entry();
        Log::line(second) << "inner";
    }
    EXPECT_EQ(lines(out.str()).size(), 2u);
}

TEST(LogConcurrency, LinesOfManyThreadsNeverInterleave) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.file("threads.log");
    const int threads = 8;
    const int entries = 10000;
    {
        LogFile log;
        log.open(path);
        std::vector<std::thread> writers;
        for (int t = 0; t < threads; ++t)
            writers.emplace_back([&log, t] {
                for (int i = 0; i < entries; ++i) {
                    std::shared_ptr<Log::EntrySession> session = log.entry();
                    TextWriter writer = Log::line(session);
                    writer << "thread " << t << " entry " << i << " " << std::string(t * 7, 'x');
                }
            });
        for (std::thread& writer : writers)
            writer.join();
    }
    const std::vector<std::string> written = lines(contents(path));
    ASSERT_EQ(written.size(), std::size_t(threads * entries));
    std::vector<int> next(threads, 0);
    const std::regex text(R"(thread (\d) entry (\d+) (x*))");
    for (const std::string& line : written) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, linePattern)) << line;
        const std::string message = match[1];
        std::smatch fields;
        ASSERT_TRUE(std::regex_match(message, fields, text)) << line;
        const int t = std::stoi(fields[1]);
        EXPECT_EQ(std::stoi(fields[2]), next[t]++);
        EXPECT_EQ(fields[3].length(), std::size_t(t * 7));
    }
}
