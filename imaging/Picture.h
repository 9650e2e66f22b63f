#pragma once

#include <memory>

#include "foundation/streams/IncrementalBuffer.h"
#include "geometry/Point.h"
#include "geometry/Vector.h"
#include "imaging/ImageMetadata.h"

// A picture of the game: pixel bytes and the metadata that describes them.
// Copies share the content.
class Picture {
public:
    struct Content {
        TAVO::IncrementalBuffer buffer;
        TAVO::Migration::ImageMetadata metadata;
    };

    // No content.
    Picture() = default;
    // New content of width x height RGB bytes filled with the ramp 0, 1, ..., 255, 0, ...
    explicit Picture(const TAVO::Vector<2, unsigned int>& size);

    // The content's buffer and metadata, made empty first when there is none.
    TAVO::IncrementalBuffer& buffer() { return content().buffer; }
    const TAVO::IncrementalBuffer& buffer() const { return content().buffer; }
    TAVO::Migration::ImageMetadata& metadata() { return content().metadata; }
    const TAVO::Migration::ImageMetadata& metadata() const { return content().metadata; }
    // The read-only forms under the names the game's model and menus use.
    const TAVO::IncrementalBuffer& bufferConst() const { return buffer(); }
    const TAVO::Migration::ImageMetadata& metadataConst() const { return metadata(); }

    // Content with a size other than 0.
    bool hasPixels() const;
    // Replaces the content by new empty content (other copies keep the old one).
    void clear() { content_ = std::make_shared<Content>(); }

    // This picture as 8-bit RGB, so that it can go into a 3-channel atlas
    // page: grey is replicated, alpha dropped. A picture of 3 channels, one
    // without content, or one whose buffer is shorter than it claims is
    // returned as it is (shared).
    Picture rgb() const;

    // Copies the source with its first sample at position. A grey source fills
    // every channel of a colour picture: the source goes to channel c for c =
    // 0, s, 2s, ... below this picture's channel count, s being the source's.
    // An empty picture throws UninitializedException "picture"; a source that
    // does not fit throws BoundException.
    void paste(const TAVO::Point<2, unsigned int>& position, const Picture& source);

private:
    Content& content() const;

    mutable std::shared_ptr<Content> content_;
};
