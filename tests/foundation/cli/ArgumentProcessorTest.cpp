#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/cli/ArgumentProcessingException.h"
#include "foundation/cli/ArgumentProcessor.h"

using namespace TAVO;

namespace {

using Processor = ArgumentProcessor;
using Text = Processor::DirectValue<std::string>;

// The main program's declarations.
struct Program {
    Program(const std::string& command = "C:\\games\\kestrune.exe", const std::string& version = "1.0")
        : processor(information(command, version)) {
        processor.add("--configuration", configurationArgument);
        processor.addSynonym("--configuration", "-c");
        processor.add("--fullscreen", fullscreenArgument);
        processor.addPositional(pictureArgument);
    }

    static Processor::Information information(const std::string& command, const std::string& version) {
        Processor::Information info;
        info.name = "Kestrune";
        info.version = version;
        info.description = "A jigsaw puzzle game.";
        info.command = command;
        return info;
    }

    bool process(std::vector<const char*> words) {
        words.insert(words.begin(), "kestrune");
        return processor.process(int(words.size()), words.data(), handler);
    }

    Text configuration{"file", "kestrune.cfg"};
    Processor::Argument configurationArgument{&configuration, false, "read the configuration from this file"};
    Processor::Argument fullscreenArgument{
        nullptr, false,
        "start in full screen mode on the primary display, which hides the window frame and the task bar"};
    Text picture{"picture", ""};
    Processor::Argument pictureArgument{&picture, false, "the picture to open"};
    Processor processor;
    std::ostringstream out;
    std::ostringstream err;
    Processor::DefaultActionHandler handler{out, err};
};

const std::string usage =
    "Usage: kestrune [--configuration file] [--fullscreen] [--help] [--version]\n"
    "        [picture]\n";

} // namespace

TEST(ArgumentProcessing, NoWordsKeepsDefaults) {
    Program program;
    EXPECT_TRUE(program.process({}));
    EXPECT_EQ(program.configuration.value, "kestrune.cfg");
    EXPECT_FALSE(program.fullscreenArgument.given);
    EXPECT_EQ(program.out.str(), "");
    EXPECT_EQ(program.err.str(), "");
}

TEST(ArgumentProcessing, FillsNamedAndPositionalArguments) {
    Program program;
    EXPECT_TRUE(program.process({"-c", "settings.txt", "cat.png", "--fullscreen"}));
    EXPECT_EQ(program.configuration.value, "settings.txt");
    EXPECT_TRUE(program.configurationArgument.given);
    EXPECT_TRUE(program.fullscreenArgument.given);
    EXPECT_EQ(program.picture.value, "cat.png");
}

TEST(ArgumentProcessing, ValueWordsAreTakenUnchanged) {
    Program program;
    EXPECT_TRUE(program.process({"--configuration", "--help"}));
    EXPECT_EQ(program.configuration.value, "--help");
    Program joined;
    EXPECT_TRUE(joined.process({"--configuration=settings.txt"}));
    EXPECT_EQ(joined.picture.value, "--configuration=settings.txt");
}

TEST(ArgumentProcessing, UnknownOptionIsAnError) {
    Program program;
    EXPECT_FALSE(program.process({"cat.png", "--fast"}));
    EXPECT_FALSE(program.handler.ok());
    EXPECT_EQ(program.err.str(), "No more unnamed arguments to be processed, '--fast' ignored. \n\n" + usage);
    EXPECT_EQ(program.out.str(), "");
}

TEST(ArgumentProcessing, OptionGivenTwiceNamesItsDescription) {
    Program program;
    EXPECT_FALSE(program.process({"--fullscreen", "--fullscreen"}));
    EXPECT_EQ(program.err.str(), "Parameter (start in full screen mode on the primary display, which hides the "
                                 "window frame and the task bar) already assigned. \n\n" + usage);
}

TEST(ArgumentProcessing, MissingValueAtTheEnd) {
    Program program;
    EXPECT_FALSE(program.process({"--configuration"}));
    EXPECT_EQ(program.err.str(),
              "Could only assign 0 of 1 values of option, end of argument list reached. \n\n" + usage);
}

TEST(ArgumentProcessing, RequiredArgumentsAreReported) {
    Processor::Information info;
    info.command = "/usr/games/tool.bin";
    Processor processor(info);
    Text input("input", "");
    Processor::Argument inputArgument(&input, true, "the input");
    Text nameless("", "");
    Processor::Argument output(&nameless, true, "the output");
    Processor::Argument flag(nullptr, true, "");
    processor.addPositional(inputArgument);
    processor.add("--output", output);
    processor.add("--flag", flag);
    std::ostringstream out, err;
    const char* none[] = {"tool"};
    {
        Processor::DefaultActionHandler handler(out, err);
        EXPECT_FALSE(processor.process(1, none, handler));
        EXPECT_EQ(err.str(), "The required value 'input' was not assigned. \n\n"
                             "Usage: tool --output x --flag [--help] input\n");
    }
    const char* some[] = {"tool", "in.txt"};
    err.str("");
    {
        Processor::DefaultActionHandler handler(out, err);
        EXPECT_FALSE(processor.process(2, some, handler));
        EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "The required parameter 'the output' was not assigned. ");
    }
    // Arguments keep their state between runs: the input is still given.
    const char* more[] = {"tool", "--output", "o.txt"};
    err.str("");
    {
        Processor::DefaultActionHandler handler(out, err);
        EXPECT_FALSE(processor.process(3, more, handler));
        EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "A required parameter was not assigned. ");
    }
}

TEST(ArgumentProcessing, HelpStopsAtOnce) {
    Program program;
    EXPECT_FALSE(program.process({"--help", "--fast", "--fullscreen", "--fullscreen"}));
    EXPECT_TRUE(program.handler.ok());
    EXPECT_EQ(program.err.str(), "");
    EXPECT_EQ(program.out.str(),
              usage +
                  "\n"
                  "Kestrune -- A jigsaw puzzle game. \n"
                  "\n"
                  "Positional arguments: \n"
                  "  picture       the picture to open \n"
                  "\n"
                  "Named options: \n"
                  "  --configuration file  read the configuration from this file \n"
                  "  --fullscreen  start in full screen mode on the primary display, which hides \n"
                  "                the window frame and the task bar \n"
                  "  --help        print this help message \n"
                  "  --version     print version \n"
                  "\n");
}

TEST(ArgumentProcessing, VersionLine) {
    Program program;
    EXPECT_FALSE(program.process({"--version"}));
    EXPECT_TRUE(program.handler.ok());
    EXPECT_EQ(program.out.str(), "Kestrune -- 1.0\n");
}

TEST(ArgumentProcessing, WithoutVersionTheWordIsNotAnOption) {
    Program program("kestrune", "");
    EXPECT_TRUE(program.process({"--version"}));
    EXPECT_EQ(program.picture.value, "--version");
    EXPECT_FALSE(program.process({"--help"}));
    const std::string text = program.out.str();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Usage: kestrune [--configuration file] [--fullscreen] [--help] [picture]");
    EXPECT_EQ(text.find("--version"), std::string::npos);
}

TEST(ArgumentProcessing, ShownCommandDropsFolderAndExtension) {
    EXPECT_EQ(Program("C:\\games\\puzzle.exe").processor.shownCommand(), "puzzle");
    EXPECT_EQ(Program("/opt/kestrune/bin/kestrune").processor.shownCommand(), "kestrune");
    EXPECT_EQ(Program("./kestrune.AppImage").processor.shownCommand(), "kestrune");
    EXPECT_EQ(Program("").processor.shownCommand(), "command");
}

TEST(ArgumentDeclaration, SynonymsNeedAnExistingName) {
    Program program;
    try {
        program.processor.addSynonym("--missing", "-m");
        FAIL();
    } catch (const ArgumentProcessingException& e) {
        EXPECT_EQ(e.message(), "Argument to add synonyms for does not exist. ");
    }
    program.processor.addSynonyms("--fullscreen", {"-f", "-c", "--full"});
    EXPECT_TRUE(program.process({"-c", "a.cfg", "--full"}));
    EXPECT_EQ(program.configuration.value, "a.cfg");
    EXPECT_TRUE(program.fullscreenArgument.given);
}

TEST(ArgumentDeclaration, NamelessSlotsAreNumberedInUsageAndHelp) {
    Processor::Information info;
    info.command = "x";
    info.width = 40;
    Processor processor(info);
    Text a("", ""), b("", ""), c("", "");
    Processor::Argument first(&a, true, "first thing");
    first.values.push_back(&b);
    Processor::Argument second(&c, false, "");
    processor.addPositional(first);
    processor.addPositional(second);
    std::ostringstream out, err;
    Processor::DefaultActionHandler handler(out, err);
    const char* words[] = {"x", "--help"};
    EXPECT_FALSE(processor.process(2, words, handler));
    EXPECT_EQ(out.str(),
              "Usage: x [--help] arg1 arg2 [arg3]\n"
              "\n"
              "Positional arguments: \n"
              "  arg1 arg2     first thing \n"
              "  arg3           \n"
              "\n"
              "Named options: \n"
              "  --help        print this help message \n"
              "\n");
}
