#include "support/Command.h"

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "support/TempFolder.h"

namespace KestruneTest {

Command::Result Command::run(const std::string& command) {
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Command::Result Command::python(const std::string& program) {
    TempFolder folder;
    const std::string script = folder.file("oracle.py");
    std::ofstream(script) << program;
    return run("python3 '" + script + "' </dev/null");
}

bool Command::available(const std::string& program) {
    return run("command -v '" + program + "' >/dev/null 2>&1").exitCode == 0;
}

} // namespace KestruneTest
