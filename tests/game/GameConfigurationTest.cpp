// The game's configuration: the defaults of the seventeen keys, and the file
// read over them, written only when it does not exist.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterParser.h"
#include "foundation/text/Parameters.h"
#include "foundation/threads/LogFile.h"
#include "game/GameConfiguration.h"
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

TEST(GameConfigurationFile, AMalformedLineThrowsAndLeavesTheFile) {
    TempFolder folder;
    const std::string path = folder.file("configuration.txt");
    const std::string text = "window_width=1024\nthis line has no equals sign\n";
    writeFile(path, text);
    TAVO::Parameters configuration = defaults();
    TextLog log;
    EXPECT_THROW(GameConfiguration::load(path, configuration, log.log), TAVO::ParameterLoadException);
    EXPECT_EQ(readFile(path), text);
}
