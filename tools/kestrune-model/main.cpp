// kestrune-model: runs the puzzle model headless, as the game does, reading
// one command a line from standard input.
//
//   kestrune-model session [--folder DIR] [--configuration FILE]
//
// The saved games are DIR/puzzles.dat (DIR defaults to "."); FILE is read
// over the defaults of the keys the model uses. Commands:
//   new PATH N                    a new game of the picture with N pieces asked for
//   resume ID                     makes the saved game current and loads it
//   drop TRAY PART X Y [ANGLE]    drops the part there (a move or a join)
//   snap TRAY PART OTHER          drops the part where it fits OTHER
//   send PART FROM TO             moves the part to another tray
//   send-new PART FROM            moves the part to a new tray
//   pan TRAY X Y LEVEL            a tray view move (held back 5 s)
//   background PREVIEW PATTERN R G B
//   tick SECONDS                  fixed 20 ms steps of the main loop
//   sync                          waits until every queued job has run
//   leave                         the snapshot written when the menu opens
//   trash ID, restore ID, empty-trash, list
//   thumbnails DIR                makes the thumbnails, writes DIR/page-N.png
//   dump                          the set-up and the table as JSON
//   quit                          orderly shut-down (also at the end of input)
//   abort                         exits at once, as a crash (exit code 3)
// Output lines: "event NAME ARGS" (what the view and the menu hear), "log
// TEXT" (the log), "action N" for every action made, "event saved N" once
// action N is durably saved, and the answers of list, dump and thumbnails.
// Exit code 0; 1 after an exception of the model (logged); 2 on a script error.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "Session.h"
#include "SessionEvents.h"
#include "SessionLog.h"
#include "foundation/exceptions/ExceptionLogger.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "model/Workspace.h"

namespace {

const char* const usage = "usage: kestrune-model session [--folder DIR] [--configuration FILE]\n";

// The defaults of the keys the model reads, as the game has them.
void defaults(TAVO::Parameters& configuration) {
    configuration.set("lighting", "attribute");
    configuration.set("tray_pattern", "cloth");
    configuration.set("tray_red", 0.75f);
    configuration.set("tray_green", 0.75f);
    configuration.set("tray_blue", 0.75f);
    configuration.set("tray_preview", "blank");
}

int session(const std::string& folder, const std::string& configurationFile) {
    SessionLog out;
    TAVO::ExceptionLogger logger(out);
    TAVO::Parameters configuration;
    defaults(configuration);
    try {
        if (!configurationFile.empty())
            TAVO::ParameterParser().load(configurationFile, configuration, true);
    } catch (const TAVO::Exception& e) {
        std::fprintf(stderr, "kestrune-model: %s\n", e.message().c_str());
        return 2;
    }
    int code = 0;
    try {
        Workspace workspace(out, logger, configuration);
        SessionEvents events(out);
        workspace.setEventHandler(&events);
        workspace.shelf().setEventHandler(&events);
        workspace.shelf().open(folder + "/puzzles.dat");
        Session commands(out, workspace);
        try {
            std::string line;
            while (std::getline(std::cin, line))
                if (!commands.run(line))
                    break;
        } catch (const Session::ScriptError& error) {
            std::fprintf(stderr, "kestrune-model: %s\n", error.message.c_str());
            code = 2;
        } catch (const TAVO::Exception& e) {
            logger.handle(e, "");
            code = 1;
        } catch (const std::exception& e) {
            logger.handleStdException(e, "");
            code = 1;
        }
        // Orderly shut-down on every way out: held-back and queued saves are written.
        workspace.stop();
        workspace.shelf().setEventHandler(nullptr);
        workspace.setEventHandler(nullptr);
    } catch (const TAVO::Exception& e) {
        logger.handle(e, "");
        return 1;
    } catch (const std::exception& e) {
        logger.handleStdException(e, "");
        return 1;
    }
    return code;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (words.empty() || words[0] != "session") {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string folder = ".", configuration;
    for (std::size_t i = 1; i < words.size(); i += 2) {
        if (i + 1 >= words.size() || (words[i] != "--folder" && words[i] != "--configuration")) {
            std::fputs(usage, stderr);
            return 2;
        }
        (words[i] == "--folder" ? folder : configuration) = words[i + 1];
    }
    return session(folder, configuration);
}
