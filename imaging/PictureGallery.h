#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/ImageMetadata.h"
#include "imaging/Picture.h"
#include "imaging/PictureLoader.h"
#include "imaging/TileAtlas.h"

// The pictures of the gallery folder: at most 32 entries, whose 128 x 128
// thumbnails are loaded on the picture loader's worker and packed into atlas
// pages of 8 x 8 tiles. Every operation runs on the main thread.
class PictureGallery {
public:
    static constexpr std::uint32_t maximumEntries = 32;
    static constexpr std::uint32_t tilesPerSide = 8;

    struct Entry {
        static constexpr std::uint32_t noTile = 0xFFFFFFFFu;
        std::string path;
        TAVO::Migration::ImageMetadata metadata;
        std::uint32_t tile = noTile;
    };

    // Hears of changes to the entries (the game menu's picture selection).
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        // An entry was appended at the end.
        virtual void added() = 0;
        virtual void removed(std::uint32_t index) = 0;
        virtual void thumbnailReady(std::uint32_t index) = 0;
    };

    // Stores an arrived thumbnail in the entry of its path, or removes that
    // entry when the load failed. Entries move down while loads are in flight,
    // so the entry is looked for at or below its old place.
    class ThumbLoadNotifer : public PictureLoader::Notifier {
    public:
        ThumbLoadNotifer(PictureGallery& gallery, std::string path, std::uint32_t index)
            : gallery_(gallery), path_(std::move(path)), index_(index) {}
        void loaded(const std::string& path, const Picture& picture) override;
        void failed() override;

    private:
        PictureGallery& gallery_;
        std::string path_;
        std::uint32_t index_;
    };

    explicit PictureGallery(PictureLoader& loader);

    // Not owned; null for none.
    void setEventHandler(EventHandler* handler) { handler_ = handler; }
    EventHandler* eventHandler() const { return handler_; }
    // Adds every file of the folder, in name order; sub-folders are skipped.
    // A folder that cannot be listed adds nothing and writes one line naming
    // it to the loader's log.
    void setDirectory(const std::string& path);
    // Appends an entry while there are fewer than 32; later paths are ignored.
    void add(const std::string& path);
    // Queues the load of the entry's thumbnail.
    void loadThumbnail(std::uint32_t index);
    // Looks for the path from min(index, count - 1) down to 0; on success the
    // index is set to the place found.
    bool find(const std::string& path, std::uint32_t& index) const;
    // Removes the entry; an index past the end does nothing.
    void remove(std::uint32_t index);
    // Packs the thumbnail into the next tile of the atlas.
    void setThumbnail(std::uint32_t index, const Picture& picture);

    const std::vector<Entry>& entries() const { return entries_; }
    const TileAtlas& atlas() const { return atlas_; }
    std::uint32_t pageCount() const { return std::uint32_t(pages_.size()); }
    // BoundException when i is not below pageCount().
    const Picture& page(std::uint32_t i) const;
    const std::string& directory() const { return directory_; }

private:
    std::string directory_;
    std::vector<Entry> entries_;
    TileAtlas atlas_;
    std::vector<Picture> pages_;
    EventHandler* handler_ = nullptr;
    PictureLoader& loader_;
};
