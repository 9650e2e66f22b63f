#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/cli/SubcommandApplication.h"

using namespace TAVO;

namespace {

// Redirects a standard stream into a string for the lifetime of the object.
class Capture {
public:
    explicit Capture(std::ostream& stream) : stream_(stream), old_(stream.rdbuf(text_.rdbuf())) {}
    ~Capture() { stream_.rdbuf(old_); }
    std::string text() const { return text_.str(); }

private:
    std::ostream& stream_;
    std::ostringstream text_;
    std::streambuf* old_;
};

class Build : public SubcommandApplication::Subcommand {
public:
    Build(const std::string& prefix, std::string& log, int code)
        : Subcommand(prefix, "build", "Builds the resource archive."), log_(log), code_(code) {
        processor().add("--output", outputArgument_);
    }
    int run() override {
        log_ += "build:" + output_.value + ";";
        return code_;
    }

private:
    std::string& log_;
    int code_;
    ArgumentProcessor::DirectValue<std::string> output_{"file", "resources.bin"};
    ArgumentProcessor::Argument outputArgument_{&output_, false, "the archive to write"};
};

class Tool : public SubcommandApplication {
public:
    explicit Tool(std::string& log) : SubcommandApplication(information()) {
        add("build", "Builds the resource archive.", [&log]() -> std::unique_ptr<Subcommand> {
            return std::make_unique<Build>("", log, 3);
        });
        add("check", "Checks an archive for damage and reports every entry whose checksum does not match its "
                     "content.",
            std::make_shared<Build>("", log, 4));
    }

    void addLater(std::string& log) {
        add("build", "The later build.", [&log]() -> std::unique_ptr<Subcommand> {
            return std::make_unique<Build>("", log, 5);
        });
    }

    static ArgumentProcessor::Information information() {
        ArgumentProcessor::Information info;
        info.name = "kestrune-tool";
        info.version = "2.1";
        info.command = "kestrune-tool";
        return info;
    }
};

int run(Tool& tool, std::vector<const char*> words) {
    words.insert(words.begin(), "kestrune-tool");
    return tool.run(int(words.size()), words.data());
}

const std::string list =
    "Subcommands: help | build | check \n"
    "\n"
    "  help          Print this message. \n"
    "  build         Builds the resource archive. \n"
    "  check         Checks an archive for damage and reports every entry whose \n"
    "                checksum does not match its content. \n";

} // namespace

TEST(SubcommandRun, NoWordsPrintsTheList) {
    std::string log;
    Tool tool(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {}), 0);
    EXPECT_EQ(out.text(), list);
    EXPECT_EQ(err.text(), "");
}

TEST(SubcommandRun, HelpWordPrintsTheListOnStandardOutput) {
    std::string log;
    Tool tool(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {"help"}), 0);
    EXPECT_EQ(out.text(), list);
    EXPECT_EQ(err.text(), "");
}

TEST(SubcommandRun, UnknownWordIsReportedWithTheListOnStandardError) {
    std::string log;
    Tool tool(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {"bake"}), 1);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(err.text(), "bake is not a recognized subcommand. \n" + list);
}

TEST(SubcommandRun, SubcommandProcessesTheRemainingWords) {
    std::string log;
    Tool tool(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {"build", "--output", "x.bin"}), 3);
    EXPECT_EQ(run(tool, {"check"}), 4);
    EXPECT_EQ(log, "build:x.bin;build:resources.bin;");
    EXPECT_EQ(err.text(), "");
}

TEST(SubcommandRun, SubcommandErrorsAndHelp) {
    std::string log;
    Tool tool(log);
    {
        Capture out(std::cout), err(std::cerr);
        EXPECT_EQ(run(tool, {"build", "--fast"}), 1);
        EXPECT_EQ(err.text(), "No more unnamed arguments to be processed, '--fast' ignored. \n\n"
                              "Usage:  build [--output file] [--help]\n");
    }
    {
        Capture out(std::cout), err(std::cerr);
        EXPECT_EQ(run(tool, {"build", "--help"}), 0);
        EXPECT_EQ(out.text().substr(0, out.text().find('\n')), "Usage:  build [--output file] [--help]");
    }
    EXPECT_EQ(log, "");
}

TEST(SubcommandRun, TopLevelVersionAndHelp) {
    std::string log;
    Tool tool(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {"--version"}), 0);
    EXPECT_EQ(out.text(), "kestrune-tool -- 2.1\n");
}

TEST(SubcommandRun, TheLaterOfTwoEntriesWithOneNameRuns) {
    std::string log;
    Tool tool(log);
    tool.addLater(log);
    Capture out(std::cout), err(std::cerr);
    EXPECT_EQ(run(tool, {"build"}), 5);
}
