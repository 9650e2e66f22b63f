#include "ShippedResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/streams/ReadStream.h"
#include "resources/BuiltInResources.h"

namespace fs = std::filesystem;

namespace ResourcesTest {

EmbeddedArchive::EmbeddedArchive()
    : bytes_(BuiltInResources::data(), BuiltInResources::size()), stream_(bytes_), archive_(stream_) {}

std::string EmbeddedArchive::entry(const std::string& name) {
    auto reader = archive_.openReader(name);
    if (!reader) {
        ADD_FAILURE() << "no entry " << name;
        return {};
    }
    std::string bytes(archive_.size(name), '\0');
    reader->stream().read(bytes.data(), bytes.size());
    EXPECT_TRUE(reader->stream().atEnd()) << name;
    return bytes;
}

std::vector<std::string> EmbeddedArchive::names() const {
    std::vector<std::string> names;
    for (auto it = archive_.iterateShared(); it->valid(); it->advance())
        names.push_back(it->current());
    return names;
}

const std::vector<std::string>& shapeFileNames() {
    static const std::vector<std::string> names = {
        "assets/play.dat",    "assets/title.dat",   "assets/digits.dat",    "assets/error.dat",
        "assets/dots.dat",    "assets/roundsquare.dat", "assets/add.dat",   "assets/trash.dat",
        "assets/trashfull.dat", "assets/restore.dat", "assets/abort.dat",   "assets/door.dat",
        "assets/house.dat",   "assets/roll.dat",    "assets/menu.dat",      "assets/left.dat",
        "assets/right.dat",   "assets/expand.dat",  "assets/collapse.dat",  "assets/dashed.dat",
        "assets/square.dat",  "assets/landscape.dat",
    };
    return names;
}

std::string packedFolder() {
    return KESTRUNE_BINARY_DIR "/resources/content";
}

std::vector<std::string> shaderNames() {
    std::vector<std::string> names;
    const fs::path root = KESTRUNE_SOURCE_DIR "/resources";
    if (fs::is_directory(root / "shaders"))
        for (const auto& file : fs::recursive_directory_iterator(root / "shaders"))
            if (file.is_regular_file())
                names.push_back(fs::relative(file.path(), root).generic_string());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace ResourcesTest
