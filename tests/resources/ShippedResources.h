#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/packages/Archive.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"

namespace ResourcesTest {

// The archive compiled into the program, opened as the game opens it.
class EmbeddedArchive {
public:
    EmbeddedArchive();
    TAVO::Archive& archive() { return archive_; }
    // The bytes of an entry; fails the test when it cannot be opened.
    std::string entry(const std::string& name);
    std::vector<std::string> names() const;

private:
    TAVO::BorrowConstBuffer bytes_;
    TAVO::ConstBufferStream stream_;
    TAVO::Archive archive_;
};

// The names below "assets/" that the game reads, as written down by hand.
const std::vector<std::string>& shapeFileNames();
// The generator's output folder in the build tree, holding assets/ and shaders/.
std::string packedFolder();
// The shader sources in the source tree ("shaders/..." names).
std::vector<std::string> shaderNames();
std::string readFile(const std::string& path);

} // namespace ResourcesTest
