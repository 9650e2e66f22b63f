// The game's configuration: the defaults of the seventeen keys, and the file
// read over them, written only when it does not exist.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/stat.h>

#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/LogFile.h"
#include "game/GameConfiguration.h"
#include "game/StartupException.h"
#include "support/TempFolder.h"

using KestruneTest::TempFolder;

namespace {

// The keys and their default texts, in the order they are stored.
const std::vector<std::pair<std::string, std::string>> expectedDefaults = {
    {"window_width", "800"},         {"window_height", "600"},       {"wireframe", "false"},
    {"developer_mode", "false"},     {"fullscreen", "false"},        {"maximized", "true"},
    {"lighting", "attribute"},       {"antialiasing", "true"},       {"gallery", "gallery"},
    {"tray_pattern", "cloth"},       {"tray_pattern_size", "64"},    {"tray_pattern_strength", "0.1"},
    {"tray_red", "0.75"},            {"tray_green", "0.75"},         {"tray_blue", "0.75"},
    {"tray_preview", "blank"},       {"tray_preview_strength", "0.2"}};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A log into a string.
struct TextLog {
    TextLog() { log.open(text); }
    std::ostringstream text;
    TAVO::LogFile log;
};

TAVO::Parameters defaults() {
    TAVO::Parameters configuration;
    GameConfiguration::setDefaults(configuration);
    return configuration;
}

} // namespace

TEST(GameConfigurationDefaults, SeventeenKeysWithTheirTexts) {
    ASSERT_EQ(GameConfiguration::keys().size(), expectedDefaults.size());
    const TAVO::Parameters configuration = defaults();
    EXPECT_EQ(configuration.map().size(), expectedDefaults.size());
    for (std::size_t i = 0; i < expectedDefaults.size(); ++i) {
        EXPECT_EQ(GameConfiguration::keys()[i], expectedDefaults[i].first);
        EXPECT_EQ(configuration.get(expectedDefaults[i].first), expectedDefaults[i].second)
            << expectedDefaults[i].first;
    }
}

TEST(GameConfigurationFile, AMissingFileIsWrittenWithTheDefaults) {
    TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::created);
    // One "key=value" line per key, in key order.
    std::map<std::string, std::string> sorted(expectedDefaults.begin(), expectedDefaults.end());
    std::string expected;
    for (const auto& [key, value] : sorted)
        expected += key + "=" + value + "\n";
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(log.text.str(), "");
    // The next start reads it back to the same store.
    TAVO::Parameters again = defaults();
    EXPECT_EQ(GameConfiguration::load(path, again, log.log), GameConfiguration::Outcome::loaded);
    EXPECT_EQ(again.map(), configuration.map());
}

TEST(GameConfigurationFile, AFileIsReadOverTheDefaultsAndNeverWritten) {
    TempFolder folder;
    const std::string path = folder.file("mine.txt");
    const std::string text = "# my settings\r\nwindow_width = 1024\nantialiasing=false # slow machine\nextra=kept\n";
    writeFile(path, text);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::loaded);
    EXPECT_EQ(configuration.get("window_width"), "1024");
    EXPECT_EQ(configuration.get("antialiasing"), "false");
    EXPECT_EQ(configuration.get("extra"), "kept");
    EXPECT_EQ(configuration.get("window_height"), "600");
    EXPECT_EQ(configuration.get("tray_red"), "0.75");
    EXPECT_EQ(readFile(path), text);
}

TEST(GameConfigurationFile, AnEmptyFileKeepsEveryDefault) {
    TempFolder folder;
    const std::string path = folder.file("empty.txt");
    writeFile(path, "");
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::loaded);
    EXPECT_EQ(configuration.map(), defaults().map());
    EXPECT_EQ(readFile(path), "");
}

TEST(GameConfigurationFile, AFileThatCannotBeReadIsLoggedAndLeftAlone) {
    TempFolder folder;
    // A folder where the file should be: it exists, but reading it fails.
    const std::string path = folder.file("configuration.txt");
    std::filesystem::create_directory(path);
    writeFile(path + "/inside", "x");
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::unreadable);
    EXPECT_EQ(configuration.map(), defaults().map());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(readFile(path + "/inside"), "x");
    EXPECT_NE(log.text.str().find("Unable to read the configuration file " + path), std::string::npos)
        << log.text.str();
}

TEST(GameConfigurationFile, APipeIsNotWaitedOn) {
    TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::unreadable);
    EXPECT_EQ(configuration.map(), defaults().map());
}

TEST(GameConfigurationFile, ALinkToNothingIsNotWrittenThrough) {
    TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    std::filesystem::create_symlink(folder.file("elsewhere.txt"), path);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::unreadable);
    EXPECT_FALSE(std::filesystem::exists(folder.file("elsewhere.txt")));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
}

TEST(GameConfigurationFile, AFileThatCannotBeWrittenIsLoggedAndTheDefaultsApply) {
    TempFolder folder;
    const std::string path = folder.file("no/such/folder/configuration.txt");
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::notCreated);
    EXPECT_EQ(configuration.map(), defaults().map());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_NE(log.text.str().find("Unable to write the configuration file " + path), std::string::npos)
        << log.text.str();
}

TEST(GameConfigurationFile, AMalformedLineThrowsWithItsFileAndLineAndLeavesTheFile) {
    TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    const std::string text = "window_width=1024\nthis line has no equals sign\n";
    writeFile(path, text);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    try {
        GameConfiguration::load(path, configuration, log.log);
        FAIL() << "loaded";
    } catch (const StartupException& e) {
        EXPECT_EQ(e.file(), path);
        EXPECT_EQ(e.line(), 2u);
        EXPECT_NE(dynamic_cast<const TAVO::ParameterLoadException*>(&e.cause()), nullptr);
        EXPECT_EQ(e.message(), path + ", line 2: this line has no equals sign is not a valid parameter statement. ");
    }
    EXPECT_EQ(readFile(path), text);
    // Nothing of the file was taken.
    EXPECT_EQ(configuration.map(), defaults().map());
}

namespace {

// The place and message of the refusal of a file, or "loaded".
std::string refusal(const std::string& text) {
    TempFolder folder;
    const std::string path = folder.file("c.txt");
    writeFile(path, text);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    try {
        GameConfiguration::load(path, configuration, log.log);
    } catch (const StartupException& e) {
        EXPECT_EQ(configuration.map(), defaults().map());
        return "line " + std::to_string(e.line()) + ": " + e.cause().message();
    }
    return "loaded";
}

} // namespace

TEST(GameConfigurationValues, AValueTheGameCannotUseIsRefusedWithItsLine) {
    const std::string side = " is not a whole number from 0 to 16384. ";
    const std::string number = " is not a number from -3.40282e+38 to 3.40282e+38. ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"window_width=999999999999\n", "line 1: window_width=999999999999" + side},
        {"# comment\n\nwindow_height=-600\n", "line 3: window_height=-600" + side},
        {"window_width=40000", "line 1: window_width=40000" + side},
        {"window_height=600px", "line 1: window_height=600px" + side},
        {"window_width=", "line 1: window_width=" + side},
        {"tray_green=abc\n", "line 1: tray_green=abc" + number},
        {"tray_red=NaN\n", "line 1: tray_red=NaN" + number},
        {"tray_blue=1e309\n", "line 1: tray_blue=1e309" + number},
        {"tray_blue=inf\n", "line 1: tray_blue=inf" + number},
        {"tray_pattern_strength=0,5\n", "line 1: tray_pattern_strength=0,5" + number},
        {"tray_preview_strength=\n", "line 1: tray_preview_strength=" + number},
        {"tray_pattern_size=0\n", "line 1: tray_pattern_size=0 is not a whole number from 1 to 16384. "},
        {"tray_pattern_size=16385\n", "line 1: tray_pattern_size=16385 is not a whole number from 1 to 16384. "},
        // Lines end with "\r\n", "\r" or "\n"; a key given twice is read
        // from its last line.
        {"a=1\r\nb=2\rwindow_width=8x\n", "line 3: window_width=8x" + side},
        {"window_width=wide\nx=1\r\n\r\nwindow_width=also wide\n", "line 4: window_width=also wide" + side},
        // The file's bytes are kept as they are here; they are escaped
        // where they are shown.
        {"window_width=80\x07\n", "line 1: window_width=80\x07" + side},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(refusal(text), expected) << text;
    // The first line that is no statement ends the reading.
    EXPECT_EQ(refusal("window_width=1\n\x01\x02\n"), "line 2: \x01\x02 is not a valid parameter statement. ");
}

TEST(GameConfigurationValues, ValuesValidBeforeStayValid) {
    const std::vector<std::string> texts = {
        "window_width=0\nwindow_height=16384\n",
        "window_width= 1024 \nwindow_height=+768\n",
        "tray_pattern_size=1\ntray_pattern_size=16384\n",
        // Floats as the stream writes them, and others it reads whole.
        "tray_red=0.75\ntray_green=1e+06\ntray_blue=-0\ntray_pattern_strength=5\ntray_preview_strength=-3\n",
        "tray_red=1e-40\ntray_green=.5\ntray_blue=3.40282e+38\n",
        // Flags and names take any text: only "true" is on; an unknown name is none.
        "maximized=yes\nfullscreen=True\nlighting=bright\ntray_pattern=stripes\ntray_preview=\ngallery=\n",
        "extra=kept\n",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(refusal(text), "loaded") << text;
}

TEST(GameConfigurationFile, FilesThatCannotBeReadOrWrittenAreToldWithTheSystemsReason) {
    TempFolder folder;
    writeFile(folder.file("plain"), "a file, not a folder");
    // Its parent is a regular file: it can be neither read nor written, also
    // for a user who may write anywhere.
    const std::string path = folder.file("plain/configuration.txt");
    TAVO::Parameters configuration = defaults();
    TextLog log;
    std::ostringstream notices;
    EXPECT_EQ(GameConfiguration::load(path, configuration, log.log, &notices),
              GameConfiguration::Outcome::notCreated);
    const std::string written =
        "Unable to write the configuration file " + path + ": Not a directory. The defaults are used.";
    EXPECT_EQ(notices.str(), "Kestrune: " + written + "\n");
    EXPECT_NE(log.text.str().find(" : " + written + "\n"), std::string::npos) << log.text.str();

    const std::string folderPath = folder.file("configuration.txt");
    std::filesystem::create_directory(folderPath);
    notices.str("");
    EXPECT_EQ(GameConfiguration::load(folderPath, configuration, log.log, &notices),
              GameConfiguration::Outcome::unreadable);
    EXPECT_EQ(notices.str(), "Kestrune: Unable to read the configuration file " + folderPath +
                                 ": it is not a file. It is left as it is and the defaults are used.\n");
    EXPECT_EQ(configuration.map(), defaults().map());
}

TEST(GameConfigurationFile, HostileFilesAreReadAsTheParserReadsThemOrRefusedCleanly) {
    TempFolder folder;
    const std::string path = folder.file("c.txt");
    TAVO::ParameterParser parser;
    std::mt19937 random(28);
    int loadedFiles = 0, refusedStatements = 0;
    const std::string pieces[] = {"=", "#", "\r", "\n", "\r\n", " ", "\t", std::string(1, '\0'), "window_width",
                                  "tray_red", "800", "1e309", "\xff\xfe", "key", "=="};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int count = int(random() % 40);
        for (int i = 0; i < count; ++i) {
            if (random() % 3 == 0)
                text += char(random() % 256);
            else
                text += pieces[random() % std::size(pieces)];
        }
        writeFile(path, text);
        // The parser reading the whole file is the oracle of the reading
        // line by line.
        TAVO::Parameters expected = defaults();
        bool parsed = true;
        try {
            parser.load(path, expected, true);
        } catch (const TAVO::ParameterLoadException&) {
            parsed = false;
        }
        TAVO::Parameters configuration = defaults();
        TextLog log;
        try {
            EXPECT_EQ(GameConfiguration::load(path, configuration, log.log), GameConfiguration::Outcome::loaded);
            EXPECT_TRUE(parsed) << text;
            EXPECT_EQ(configuration.map(), expected.map()) << text;
            ++loadedFiles;
        } catch (const StartupException& e) {
            const bool statement = dynamic_cast<const TAVO::ParameterLoadException*>(&e.cause()) != nullptr;
            EXPECT_EQ(statement, !parsed) << text;
            refusedStatements += statement;
            EXPECT_GE(e.line(), 1u);
            EXPECT_EQ(configuration.map(), defaults().map());
        }
    }
    EXPECT_GT(loadedFiles, 20);
    EXPECT_GT(refusedStatements, 20);
    // Long lines, many lines, a lone carriage return at the end.
    EXPECT_EQ(refusal(std::string(200000, 'x')), "line 1: " + std::string(200000, 'x') +
                                                      " is not a valid parameter statement. ");
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "k" + std::to_string(i) + "=v\n";
    EXPECT_EQ(refusal(many + "window_width=9\r"), "loaded");
    EXPECT_EQ(refusal(many + "window_width=x\r"), "line 20001: window_width=x is not a whole number from 0 to 16384. ");
}
