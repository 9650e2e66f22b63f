#include "game/GameConfiguration.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <ostream>
#include <sstream>
#include <system_error>

#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/BufferStream.h"
#include "foundation/streams/ConstBufferStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"
#include "game/StartupException.h"
#include "game/TrayPatterns.h"
#include "geometry/Color.h"

namespace {

// The tray colour a new game starts with.
const TAVO::Color defaultTrayColour(0.75f, 0.75f, 0.75f);

// The kinds of value the game reads as numbers.
enum class Kind { windowSide, patternSize, number };

struct Rule {
    const char* key;
    Kind kind;
};

const Rule rules[] = {
    {"window_width", Kind::windowSide},       {"window_height", Kind::windowSide},
    {"tray_pattern_size", Kind::patternSize}, {"tray_pattern_strength", Kind::number},
    {"tray_red", Kind::number},               {"tray_green", Kind::number},
    {"tray_blue", Kind::number},              {"tray_preview_strength", Kind::number},
};

std::string wholeNumbers(unsigned int first, unsigned int last) {
    return "a whole number from " + std::to_string(first) + " to " + std::to_string(last);
}

std::string floatNumbers() {
    std::ostringstream text;
    text << "a number from " << -std::numeric_limits<float>::max() << " to " << std::numeric_limits<float>::max();
    return text.str();
}

// Whether anything is at the path, a dangling link included. A path that
// cannot be examined counts as there: it is never written.
bool present(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return false;
    return !error || error != std::errc::no_such_file_or_directory;
}

// The whole file; false with the system's reason when it cannot be read.
bool readWhole(const std::string& path, std::string& text, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    char buffer[16384];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        reason = std::strerror(error);
        return false;
    }
    return true;
}

// Writes a file that must not exist yet; false with the system's reason.
// What a failed write left is removed: it is not a configuration.
bool writeNew(const std::string& path, const std::string& text, std::string& reason) {
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    int error = written ? 0 : errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        reason = std::strerror(error);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return written;
}

// A line for the log and the notices: what happened, with the path and the
// reason made printable.
void tell(TAVO::Log& log, std::ostream* notices, const std::string& text) {
    TAVO::Log::line(log.entry()) << text;
    if (notices != nullptr)
        *notices << "Kestrune: " << text << std::endl;
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

void GameConfiguration::checkValue(const std::string& key, const std::string& value) {
    for (const Rule& rule : rules) {
        if (key != rule.key)
            continue;
        unsigned int whole = 0;
        float number = 0.0f;
        switch (rule.kind) {
        case Kind::windowSide:
            if (!TAVO::Text::parseWhole(value, whole) || whole > largestWindowSide)
                throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), key + "=" + value,
                                                     wholeNumbers(0, largestWindowSide));
            return;
        case Kind::patternSize:
            if (!TAVO::Text::parseWhole(value, whole) || whole == 0 || whole > TrayPatterns::maximumSize)
                throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), key + "=" + value,
                                                     wholeNumbers(1, TrayPatterns::maximumSize));
            return;
        case Kind::number:
            // The stream refuses what a float cannot hold ("1e39"), and has
            // no text for infinities or NaN.
            if (!TAVO::Text::parseWhole(value, number))
                throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), key + "=" + value, floatNumbers());
            return;
        }
    }
}

GameConfiguration::Outcome GameConfiguration::load(const std::string& path, TAVO::Parameters& configuration,
                                                   TAVO::Log& log, std::ostream* notices) {
    const std::string shown = TAVO::Text::printable(path);
    TAVO::ParameterParser parser;
    if (!present(path)) {
        std::string reason;
        try {
            TAVO::IncrementalBuffer bytes;
            TAVO::BufferStream stream(bytes);
            parser.save(stream, configuration);
            const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            if (writeNew(path, text, reason))
                return Outcome::created;
        } catch (const TAVO::Exception& e) {
            reason = TAVO::Text::clause(e.message());
        }
        tell(log, notices,
             "Unable to write the configuration file " + shown + ": " + TAVO::Text::printable(reason) +
                 ". The defaults are used.");
        return Outcome::notCreated;
    }
    // Only a regular file is read: a folder has nothing to read and a pipe
    // or a device could keep start-up waiting.
    std::error_code error;
    std::string text, reason = "it is not a file";
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, error)) || !readWhole(path, text, reason)) {
        tell(log, notices,
             "Unable to read the configuration file " + shown + ": " + TAVO::Text::printable(reason) +
                 ". It is left as it is and the defaults are used.");
        return Outcome::unreadable;
    }

    // Line by line, as the parser splits a file ("\r\n", "\n" and "\r" end a
    // line), so that a refusal can name its line. Read into a copy, so that
    // a file that fails half-way changes nothing.
    TAVO::Parameters read = configuration;
    std::map<std::string, std::uint32_t> lineOf;
    std::uint32_t number = 1;
    for (std::size_t start = 0; start < text.size(); ++number) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start) {
            TAVO::Parameters found;
            const TAVO::BorrowConstBuffer line(text.data() + start, std::uint32_t(end - start));
            TAVO::ConstBufferStream stream(line);
            try {
                parser.load(stream, found, false);
            } catch (const TAVO::ParameterLoadException& e) {
                throw StartupException(TAVO::SourceLocation(), path, number, e);
            }
            for (const auto& [key, value] : found.map()) {
                read.set(key, value);
                lineOf[key] = number;
            }
        }
        start = end;
        if (start < text.size())
            start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    for (const auto& [key, line] : lineOf) {
        try {
            checkValue(key, read.get(key));
        } catch (const TAVO::Exception& e) {
            throw StartupException(TAVO::SourceLocation(), path, line, e);
        }
    }
    configuration = read;
    return Outcome::loaded;
}
