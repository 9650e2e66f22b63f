#pragma once

#include <string>
#include <vector>

namespace TAVO {
class Log;
class Parameters;
} // namespace TAVO

// The game's configuration: the seventeen keys with their defaults, and the
// configuration file read over them.
class GameConfiguration {
public:
    // What became of the file.
    enum class Outcome {
        // It was read over the defaults.
        loaded,
        // It did not exist and now holds the defaults.
        created,
        // It did not exist and could not be written; the defaults apply.
        notCreated,
        // It exists but could not be read; it is left as it is and the
        // defaults apply.
        unreadable,
    };

    // The keys in the order their defaults are stored.
    static const std::vector<std::string>& keys();

    // Stores the default of every key; other entries stay.
    static void setDefaults(TAVO::Parameters& configuration);

    // Reads the file over the store (keys missing from it keep their
    // values). A file that does not exist is written with the store; a file
    // that exists is never written. Read and write failures are logged and
    // start-up goes on with what the store holds; a file whose content does
    // not follow the key = value format throws ParameterLoadException.
    static Outcome load(const std::string& path, TAVO::Parameters& configuration, TAVO::Log& log);
};
