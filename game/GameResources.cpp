#include "game/GameResources.h"

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/files/Path.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "game/StartupException.h"
#include "imaging/ImageMetadata.h"
#include "imaging/codecs/PNGImporter.h"
#include "sdlgl/Surface.h"

GameResources::GameResources(const void* bytes, std::uint32_t size)
    : bytes_(bytes, size), stream_(bytes_), archive_(stream_) {}

GameResources::~GameResources() { folder_.reset(); }

void GameResources::extract(const std::string& folder) {
    const std::string path = TAVO::Path::stripTrailingSeparators(folder);
    try {
        TAVO::FSPackage target(path);
        target.copyFrom(archive_, true);
    } catch (const TAVO::Exception& e) {
        throw StartupException(TAVO::SourceLocation(), path, 0, e);
    }
}

void GameResources::useFolder(const std::string& folder) {
    folderPath_ = TAVO::Path::stripTrailingSeparators(folder);
    folder_ = std::make_unique<TAVO::FSPackage>(folderPath_);
}

std::string GameResources::source(const std::string& entry) const {
    if (folder_)
        return folderPath_ + "/" + entry;
    return entry + " (built in)";
}

const TAVO::Package& GameResources::package() const {
    if (folder_)
        return *folder_;
    return archive_;
}

TAVO::IK::SDLGL::Surface GameResources::windowIcon() const {
    const std::unique_ptr<TAVO::Package::Reader> reader = package().openReader(iconEntry);
    if (!reader)
        throw StartupException(
            TAVO::SourceLocation(), source(iconEntry), 0,
            TAVO::NotFoundException<std::string>(TAVO::SourceLocation(), iconEntry, "the resource package"));
    TAVO::Migration::PNGImporter importer;
    TAVO::IncrementalBuffer pixels;
    TAVO::Migration::ImageMetadata metadata;
    try {
        importer.setStream(reader->stream());
        importer.import(pixels, metadata);
        importer.clearStream();
        return TAVO::IK::SDLGL::Surface(pixels, metadata);
    } catch (const TAVO::Exception& e) {
        importer.clearStream();
        throw StartupException(TAVO::SourceLocation(), source(iconEntry), 0, e);
    }
}
