#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/packages/Archive.h"
#include "foundation/packages/FSPackage.h"
#include "foundation/streams/BorrowConstBuffer.h"
#include "foundation/streams/ConstBufferStream.h"

namespace TAVO::IK::SDLGL {
class Surface;
}

// Where the game's resources come from: the archive built into the program
// (the shape files and the window icon under "assets/", the GLSL sources
// under "shaders/"), or a folder that holds the same entries as files. Every
// reader of resources reads through package().
class GameResources {
public:
    // Opens the built-in archive over bytes that outlive this object.
    GameResources(const void* bytes, std::uint32_t size);
    // The folder package goes before the archive, the archive before the
    // stream and the memory it reads.
    ~GameResources();
    GameResources(const GameResources&) = delete;
    GameResources& operator=(const GameResources&) = delete;

    // Writes every built-in entry below the folder (trailing separators are
    // dropped), replacing files that are there. Throws StartupException
    // naming the folder, whose cause names the entry that could not be
    // written.
    void extract(const std::string& folder);
    // From now on the resources are read from the folder (trailing
    // separators dropped). Entries missing there are reported by whoever
    // asks for them.
    void useFolder(const std::string& folder);

    const TAVO::Package& package() const;
    const TAVO::Archive& builtIn() const { return archive_; }

    // Where an entry comes from, for messages: the file below the folder in
    // use, or the entry with "(built in)".
    std::string source(const std::string& entry) const;

    // The window icon "assets/icon.png" of the package. A missing or damaged
    // entry throws StartupException naming source(iconEntry), with the
    // NotFoundException or the decoder's exception as its cause.
    TAVO::IK::SDLGL::Surface windowIcon() const;

    static constexpr const char* iconEntry = "assets/icon.png";

private:
    TAVO::BorrowConstBuffer bytes_;
    TAVO::ConstBufferStream stream_;
    TAVO::Archive archive_;
    std::unique_ptr<TAVO::FSPackage> folder_;
    std::string folderPath_;
};
