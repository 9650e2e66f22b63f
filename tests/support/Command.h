#pragma once

#include <string>

namespace KestruneTest {

// Runs a shell command for an oracle (python3, zlib tools, image decoders)
// and captures its standard output.
class Command {
public:
    struct Result {
        int exitCode = -1;
        std::string output;
    };

    static Result run(const std::string& command);
    // Runs python3 with the given program text; standard input is empty.
    static Result python(const std::string& program);
    // Whether a program is on the PATH.
    static bool available(const std::string& program);
};

} // namespace KestruneTest
