#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/packages/Archive.h"
#include "foundation/packages/FSPackage.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"
#include "resources/BuiltInResources.h"
#include "support/TempFolder.h"

namespace UiTest {

// The archive compiled into the program, opened as the game opens it.
struct BuiltInPackage {
    TAVO::BorrowConstBuffer bytes{BuiltInResources::data(), BuiltInResources::size()};
    TAVO::ConstBufferStream stream{bytes};
    TAVO::Archive archive{stream};

    // The names of the shape files: "assets/....dat".
    std::vector<std::string> shapeFileNames() const {
        std::vector<std::string> names;
        for (auto it = archive.iterateShared(); it->valid(); it->advance()) {
            const std::string name = it->current();
            if (name.rfind("assets/", 0) == 0 && name.size() > 11 && name.substr(name.size() - 4) == ".dat")
                names.push_back(name);
        }
        return names;
    }

    // The whole entry; empty when there is none.
    std::string entry(const std::string& name) const {
        auto reader = archive.openReader(name);
        std::string content(reader ? archive.size(name) : 0, '\0');
        if (reader)
            reader->stream().read(content.data(), content.size());
        return content;
    }
};

// The folder is made before the package that is opened on it.
struct FreshFolder {
    KestruneTest::TempFolder folder_;
};

// A user's resource folder in a fresh temporary folder. claimedSize, when
// not 0, is the size it reports for every entry instead of the true one.
class FolderPackage : private FreshFolder, public TAVO::FSPackage {
public:
    FolderPackage() : FSPackage(folder_.path()) {}

    void put(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(folder_.file(name)).parent_path());
        std::ofstream(folder_.file(name), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::uint32_t size(const std::string& name) const override {
        return claimedSize != 0 ? claimedSize : FSPackage::size(name);
    }

    std::uint32_t claimedSize = 0;
};

} // namespace UiTest
