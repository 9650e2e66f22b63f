#include "imaging/PictureGallery.h"

#include <algorithm>

#include "foundation/exceptions/BoundException.h"
#include "foundation/files/FileIterationException.h"
#include "foundation/files/NativeFileIterator.h"
#include "imaging/ImageLayout.h"

using namespace TAVO;
using TAVO::Migration::ImageLayout;
using TAVO::Migration::ImageMetadata;

namespace {

// The thumbnail as 8-bit RGB, so that it fits the 3-channel atlas page: grey
// is replicated, alpha dropped.
Picture asRGB(const Picture& thumbnail) {
    const ImageMetadata& metadata = thumbnail.metadata();
    const std::uint32_t channels = metadata.channels();
    if (channels == 3 || channels == 0)
        return thumbnail;
    Picture rgb;
    rgb.metadata() = ImageMetadata(metadata.width(), metadata.height(), 3, 24);
    const std::uint64_t pixels = std::uint64_t(metadata.width()) * metadata.height();
    if (std::uint64_t(thumbnail.buffer().size()) < pixels * channels)
        return thumbnail; // not what it claims: let paste report it
    rgb.buffer().setSize(std::uint32_t(pixels * 3));
    const std::uint8_t* from = thumbnail.buffer().data();
    std::uint8_t* to = rgb.buffer().data();
    for (std::uint64_t p = 0; p < pixels; ++p, from += channels, to += 3) {
        if (channels < 3) {
            to[0] = to[1] = to[2] = from[0];
        } else {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return rgb;
}

} // namespace

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
        // A folder that cannot be listed gives what was listed so far.
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
    pages_[atlas_.page(tile)].paste(atlas_.tileRegion(tile).origin(), asRGB(picture));
    if (handler_)
        handler_->thumbnailReady(index);
}

const Picture& PictureGallery::page(std::uint32_t i) const {
    if (i >= pages_.size())
        throw BoundException<unsigned int>(SourceLocation(), i, std::uint32_t(pages_.size()));
    return pages_[i];
}
