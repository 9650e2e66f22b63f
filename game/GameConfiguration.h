#pragma once

#include <iosfwd>
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

    // The largest window side the window system opens.
    static constexpr unsigned int largestWindowSide = 16384;

    // The keys in the order their defaults are stored.
    static const std::vector<std::string>& keys();

    // Stores the default of every key; other entries stay.
    static void setDefaults(TAVO::Parameters& configuration);

    // Reads the file over the store (keys missing from it keep their
    // values). A file that does not exist is written with the store; a file
    // that exists is never written. When the file cannot be read or written,
    // start-up goes on with what the store holds: the log says why, with the
    // system's reason, and so does one line on `notices` when given.
    //
    // A line that does not follow the key = value format, or a value the
    // game cannot use (see checkValue), throws StartupException naming the
    // file and the line, with the parser's ParameterLoadException or the
    // value's UnexpectedValueException as its cause; the store is then left
    // as it was.
    static Outcome load(const std::string& path, TAVO::Parameters& configuration, TAVO::Log& log,
                        std::ostream* notices = nullptr);

    // Throws UnexpectedValueException ("key=value is not ...") when the game
    // cannot use the value: the window sides must be whole numbers from 0 to
    // largestWindowSide, the tray pattern size one from 1 to the largest
    // pattern, the tray colour components and strengths numbers a float can
    // hold. Values of other keys are taken as they are (a flag is on only
    // when it reads "true"; an unknown pattern, preview or lighting name
    // means none).
    static void checkValue(const std::string& key, const std::string& value);
};
