#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/PictureGallery.h"
#include "ui/ItemSelect.h"
#include "ui/Panel.h"
#include "ui/Shape.h"
#include "ui/menu/AtlasPageTextures.h"

class Border;
class MenuBuilder;
class SharedComponent;
class Switch;
class VisibleComponent;

// The picture page of the game menu: square thumbnails of the gallery's
// pictures in a bordered list, a back button, and an overlay that shows the
// busy indicator while the chosen picture loads and then its preview with a
// cancel and a play button. The list follows the gallery through the panel's
// updater; the menu drives the overlay through the members below.
class PictureSelectPanel : public Panel {
public:
    // Follows the gallery: a placeholder per added picture, replaced by its
    // thumbnail when that is ready; removed pictures leave the list.
    class PictureGalleryUpdater : public PictureGallery::EventHandler {
    public:
        PictureGalleryUpdater(PictureSelectPanel& panel, PictureGallery& gallery, ItemSelect& list,
                              Shape::ShapeShader& shader, std::unique_ptr<SharedComponent> busyIndicator);
        ~PictureGalleryUpdater() override;

        void added() override;
        // An index past the list does nothing.
        void removed(std::uint32_t index) override;
        // An index past the list or the gallery, or an entry without a
        // thumbnail, does nothing.
        void thumbnailReady(std::uint32_t index) override;
        // Uploads the atlas pages that took thumbnails since the last call,
        // each once however many came; the panel calls it before it draws.
        void uploadPages();

    private:
        PictureSelectPanel* panel_;
        PictureGallery* gallery_;
        ItemSelect* list_;
        Shape::ShapeShader& shader_;
        std::unique_ptr<SharedComponent> busyIndicator_;
        // Of the gallery's atlas.
        AtlasPageTextures pages_;
    };

    // The panel owns the buttons and the item handler; the gallery hears of
    // the panel's updater until the panel goes.
    PictureSelectPanel(MenuBuilder& builder, const TAVO::Tuple<2, float>& size, PictureGallery& gallery,
                       std::unique_ptr<Component> back, std::unique_ptr<Component> play,
                       std::unique_ptr<Component> cancel, std::unique_ptr<ItemSelect::EventHandler> itemHandler);
    // Leaves the gallery without a handler, unless another one was set since.
    ~PictureSelectPanel() override;

    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    void draw() override;
    // Scales the preview to the picture size within 0.8 of the preview box;
    // leaves it as it is while the picture size or the box has no area.
    void fitPreview();

    // The overlay's states. Closing it or waiting gives the preview's
    // texture back.
    void closeOverlay();
    void showWaiting();
    // The picture of the given size in the texture (both may be replaced later).
    void showPreview(std::shared_ptr<Shape::Texture> texture, const TAVO::Tuple<2, unsigned int>& pictureSize);

    bool overlayShown() const;
    bool previewShown() const;
    ItemSelect& list() const { return *list_; }
    Border& galleryBorder() const { return *galleryBorder_; }
    const Shape& previewShape() const { return *previewShape_; }
    const Panel& previewBox() const { return *previewBox_; }
    const TAVO::Tuple<2, unsigned int>& pictureSize() const { return pictureSize_; }

private:
    void hidePreview();

    PictureGallery* gallery_;
    Border* galleryBorder_;
    ItemSelect* list_;
    std::unique_ptr<PictureGalleryUpdater> updater_;
    VisibleComponent* overlay_;
    Switch* innerSwitch_;
    std::uint32_t waitingIndex_ = 0;
    std::uint32_t previewIndex_ = 0;
    Panel* overlayPanel_;
    Shape* veil_;
    Panel* previewBox_;
    TAVO::Tuple<2, unsigned int> pictureSize_{0u, 0u};
    std::shared_ptr<Shape::Texture> previewTexture_;
    Shape* previewShape_;
    VisibleComponent* previewPart_;
    float outerSpacing_;
    float bottomRowHeight_ = 0.0f;
    float previewRowHeight_ = 0.0f;
};
