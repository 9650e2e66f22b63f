#include "imaging/PictureGallery.h"

#include <algorithm>

#include "foundation/exceptions/BoundException.h"
#include "foundation/files/FileIterationException.h"
#include "foundation/files/NativeFileIterator.h"
#include "foundation/platform/NativeFileStatus.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"

using namespace TAVO;
using TAVO::Migration::ImageMetadata;

void PictureGallery::ThumbLoadNotifer::loaded(const std::string&, const Picture& picture) {
    if (gallery_.find(path_, index_))
        gallery_.setThumbnail(index_, picture);
}

void PictureGallery::ThumbLoadNotifer::failed() {
    if (gallery_.find(path_, index_))
        gallery_.remove(index_);
}

PictureGallery::PictureGallery(PictureLoader& loader)
    : atlas_(tilesPerSide, Tuple<2, unsigned int>(PictureLoader::thumbnailSide, PictureLoader::thumbnailSide)),
      loader_(loader) {}

void PictureGallery::setDirectory(const std::string& path) {
    directory_ = path;
    try {
        std::unique_ptr<FileIterator> files(NativeFileIterator::create(path));
        for (; files->valid(); files->next())
            if (!files->isDirectory())
                add(files->path());
    } catch (const FileIterationException&) {
        // A folder that cannot be listed gives what was listed so far, and
        // one line in the log that names it.
        const char* why = "it cannot be listed";
        switch (NativeFileStatus::of(path)) {
        case NativeFileStatus::Kind::missing: why = "it does not exist"; break;
        case NativeFileStatus::Kind::directory: break;
        default: why = "it is not a folder"; break;
        }
        Log::line(loader_.log().entry()) << "No pictures from the gallery folder " << Text::printable(path) << ": "
                                         << why << ".";
    }
}

void PictureGallery::add(const std::string& path) {
    if (entries_.size() >= maximumEntries)
        return;
    entries_.push_back(Entry{path, ImageMetadata(), Entry::noTile});
    if (handler_)
        handler_->added();
}

void PictureGallery::loadThumbnail(std::uint32_t index) {
    if (index >= entries_.size())
        throw BoundException<unsigned int>(SourceLocation(), index, std::uint32_t(entries_.size()));
    const std::string& path = entries_[index].path;
    loader_.loadAsync(path, PictureLoader::thumbnailSide, std::make_unique<ThumbLoadNotifer>(*this, path, index));
}

bool PictureGallery::find(const std::string& path, std::uint32_t& index) const {
    if (entries_.empty())
        return false;
    for (std::uint32_t i = std::min<std::uint32_t>(index, std::uint32_t(entries_.size()) - 1) + 1; i-- > 0;) {
        if (entries_[i].path == path) {
            index = i;
            return true;
        }
    }
    return false;
}

void PictureGallery::remove(std::uint32_t index) {
    if (index >= entries_.size())
        return;
    entries_.erase(entries_.begin() + index);
    if (handler_)
        handler_->removed(index);
}

void PictureGallery::setThumbnail(std::uint32_t index, const Picture& picture) {
    if (index >= entries_.size())
        throw BoundException<unsigned int>(SourceLocation(), index, std::uint32_t(entries_.size()));
    const std::uint32_t tile = atlas_.allocate();
    entries_[index].tile = tile;
    while (pages_.size() <= atlas_.page(tile))
        pages_.push_back(Picture(atlas_.pageSize()));
    pages_[atlas_.page(tile)].paste(atlas_.tileRegion(tile).origin(), picture.rgb());
    if (handler_)
        handler_->thumbnailReady(index);
}

const Picture& PictureGallery::page(std::uint32_t i) const {
    if (i >= pages_.size())
        throw BoundException<unsigned int>(SourceLocation(), i, std::uint32_t(pages_.size()));
    return pages_[i];
}
