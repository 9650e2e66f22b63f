#include "game/GameConfiguration.h"

#include <filesystem>
#include <system_error>

#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/Log.h"
#include "geometry/Color.h"

namespace {

// The tray colour a new game starts with.
const TAVO::Color defaultTrayColour(0.75f, 0.75f, 0.75f);

// Whether anything is at the path, a dangling link included. A path that
// cannot be examined counts as there: it is never written.
bool present(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return false;
    return !error || error != std::errc::no_such_file_or_directory;
}

} // namespace

const std::vector<std::string>& GameConfiguration::keys() {
    static const std::vector<std::string> names = {
        "window_width", "window_height", "wireframe",         "developer_mode",    "fullscreen",
        "maximized",    "lighting",      "antialiasing",      "gallery",           "tray_pattern",
        "tray_pattern_size", "tray_pattern_strength", "tray_red", "tray_green",    "tray_blue",
        "tray_preview", "tray_preview_strength"};
    return names;
}

void GameConfiguration::setDefaults(TAVO::Parameters& configuration) {
    configuration.set("window_width", 800u);
    configuration.set("window_height", 600u);
    configuration.set("wireframe", "false");
    configuration.set("developer_mode", "false");
    configuration.set("fullscreen", "false");
    configuration.set("maximized", "true");
    configuration.set("lighting", "attribute");
    configuration.set("antialiasing", "true");
    configuration.set("gallery", "gallery");
    configuration.set("tray_pattern", "cloth");
    configuration.set("tray_pattern_size", 64u);
    configuration.set("tray_pattern_strength", 0.1f);
    configuration.set("tray_red", defaultTrayColour.rgb()[0]);
    configuration.set("tray_green", defaultTrayColour.rgb()[1]);
    configuration.set("tray_blue", defaultTrayColour.rgb()[2]);
    configuration.set("tray_preview", "blank");
    configuration.set("tray_preview_strength", 0.2f);
}

GameConfiguration::Outcome GameConfiguration::load(const std::string& path, TAVO::Parameters& configuration,
                                                   TAVO::Log& log) {
    TAVO::ParameterParser parser;
    if (!present(path)) {
        try {
            parser.save(path, configuration);
            return Outcome::created;
        } catch (const TAVO::Exception& e) {
            TAVO::Log::line(log.entry()) << "Unable to write the configuration file " << path << ": "
                                         << e.message() << "The defaults are used.";
            // Whatever the failed write left is not a configuration.
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            return Outcome::notCreated;
        }
    }
    // Only a regular file is read: a folder has nothing to read and a pipe
    // or a device could keep start-up waiting.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, error))) {
        TAVO::Log::line(log.entry()) << "Unable to read the configuration file " << path
                                     << ": it is not a file. It is left as it is and the defaults are used.";
        return Outcome::unreadable;
    }
    // Read into a copy, so that a file that fails half-way changes nothing.
    TAVO::Parameters read = configuration;
    try {
        parser.load(path, read, true);
    } catch (const TAVO::ParameterLoadException&) {
        throw;
    } catch (const TAVO::Exception& e) {
        TAVO::Log::line(log.entry()) << "Unable to read the configuration file " << path << ": " << e.message()
                                     << "It is left as it is and the defaults are used.";
        return Outcome::unreadable;
    }
    configuration = read;
    return Outcome::loaded;
}
