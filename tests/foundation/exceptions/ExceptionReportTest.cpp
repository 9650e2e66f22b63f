#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/ExceptionFileWriter.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/exceptions/ExceptionWriter.h"
#include "foundation/exceptions/WhatException.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/StreamException.h"
#include "foundation/text/TextWriter.h"
#include "foundation/threads/LogFile.h"
#include "support/TempFolder.h"

using namespace TAVO;

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const WhatException failure(SourceLocation(), "disk full");

} // namespace

TEST(ExceptionDescription, ContextPrefixOnlyWhenGiven) {
    std::ostringstream out;
    CppOutStream stream(out);
    TextWriter writer(stream);
    ExceptionHandler::describe(writer, failure, "");
    EXPECT_EQ(out.str(), "TAVO TAVO::WhatException: disk full\n");
    out.str("");
    ExceptionHandler::describe(writer, failure, "saving");
    EXPECT_EQ(out.str(), "context: saving> TAVO TAVO::WhatException: disk full\n");
}

TEST(ExceptionWriterReports, CountsEveryHandledException) {
    std::ostringstream out;
    CppOutStream stream(out);
    ExceptionWriter writer(stream);
    EXPECT_EQ(writer.count(), 0u);
    writer.handle(failure, "a");
    writer.handle(failure, "a");
    writer.handleStdException(std::runtime_error("boom"), "");
    EXPECT_EQ(writer.count(), 3u);
    EXPECT_EQ(out.str(), "context: a> TAVO TAVO::WhatException: disk full\n"
                         "context: a> TAVO TAVO::WhatException: disk full\n"
                         "TAVO TAVO::CppException: Wrapped C++ exception (std::runtime_error): boom\n");
}

TEST(ExceptionWriterReports, StaticWritersReportToAStandardStream) {
    std::ostringstream out;
    ExceptionWriter::write(out, failure, "start-up");
    ExceptionWriter::write(out, std::logic_error("bad"), "");
    EXPECT_EQ(out.str(), "context: start-up> TAVO TAVO::WhatException: disk full\n"
                         "TAVO TAVO::CppException: Wrapped C++ exception (std::logic_error): bad\n");
}

TEST(ExceptionWriterReports, ManyThreadsGiveWholeDescriptions) {
    std::ostringstream out;
    CppOutStream stream(out);
    ExceptionWriter writer(stream);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                writer.handle(failure, "worker");
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(writer.count(), 2000u);
    std::istringstream lines(out.str());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line, "context: worker> TAVO TAVO::WhatException: disk full");
        ++count;
    }
    EXPECT_EQ(count, 2000);
}

TEST(ExceptionFileWriterReports, OpensAndEmptiesTheFileAtTheFirstException) {
    KestruneTest::TempFolder folder;
    const std::string path = folder.file("errors.txt");
    std::ofstream(path) << "old content\n";
    {
        ExceptionFileWriter writer(path);
        EXPECT_EQ(writer.count(), 0u);
        EXPECT_EQ(contents(path), "old content\n");
        writer.handle(failure, "");
        writer.handle(failure, "x");
        EXPECT_EQ(writer.count(), 2u);
    }
    EXPECT_EQ(contents(path), "TAVO TAVO::WhatException: disk full\ncontext: x> TAVO TAVO::WhatException: disk full\n");
}

TEST(ExceptionFileWriterReports, UnopenableFileThrowsAndTriesAgain) {
    KestruneTest::TempFolder folder;
    ExceptionFileWriter writer(folder.file("missing/errors.txt"));
    EXPECT_THROW(writer.handle(failure, ""), StreamException);
    EXPECT_THROW(writer.handle(failure, ""), StreamException);
    EXPECT_EQ(writer.count(), 0u);
}

TEST(ExceptionLoggerReports, WritesOneEntryEndingInAnEmptyLine) {
    std::ostringstream out;
    LogFile log;
    log.open(out);
    ExceptionLogger logger(log);
    logger.handle(failure, "loader");
    const std::string text = out.str();
    ASSERT_GT(text.size(), 26u);
    EXPECT_EQ(text.substr(23), " : context: loader> TAVO TAVO::WhatException: disk full\n\n");
}

TEST(ExceptionLoggerReports, BytesFromOutsideReachTheLogEscaped) {
    std::ostringstream out;
    LogFile log;
    log.open(out);
    ExceptionLogger logger(log);
    // A message quoting a line of a file with a bell, a line break and an
    // escape sequence, and a context with a tab.
    logger.handle(WhatException(SourceLocation(), "width=80\x07\nnext \x1b[2J"), "c\tfile");
    const std::string text = out.str();
    ASSERT_GT(text.size(), 26u);
    EXPECT_EQ(text.substr(23), " : context: c\\tfile> TAVO TAVO::WhatException: width=80\\x07\\nnext \\x1b[2J\n\n");
}
