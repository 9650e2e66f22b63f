#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SessionLog;
class Workspace;

// Runs the model as the game does, one command at a time (see main.cpp for
// the commands). Each command calls the operations the menu, the view and
// the main loop call, and polls the workspace afterwards. Actions are
// numbered from 1 in the order made ("action N"); once an action is durably
// in the saved-games file "event saved N" is printed.
class Session {
public:
    // A line that is not a command, or arguments that do not parse: exit code 2.
    struct ScriptError {
        std::string message;
    };

    Session(SessionLog& out, Workspace& workspace) : out_(out), workspace_(workspace) {}

    // False after "quit". Exceptions of the model leave it.
    bool run(const std::string& line);
    // Runs the completions of finished jobs and reports what became durable.
    void poll();
    // Waits until every queued job has run and completed.
    void sync();

private:
    // One fixed step of the main loop.
    void step();
    // Remembers which save carries the action just handed to the shelf
    // (the last one queued since before).
    void record(std::uint64_t before);
    void list();
    void thumbnails(const std::string& folder);

    SessionLog& out_;
    Workspace& workspace_;
    // Per action: the save that carries it (0: none did).
    std::vector<std::uint64_t> saves_;
    std::size_t reported_ = 0;
};
