#include "ui/menu/PictureSelectPanel.h"

#include <algorithm>

#include "sdlgl/Texture.h"
#include "ui/Border.h"
#include "ui/SharedComponent.h"
#include "ui/Switch.h"
#include "ui/VisibleComponent.h"
#include "ui/menu/MenuBuilder.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Vector<2, float> topCentre(0.5f, 1.0f);
const TAVO::Vector<2, float> bottomCentre(0.5f, 0.0f);
const TAVO::Hyperrectangle<2, float> wholeTexture(TAVO::Point<2, float>(0.0f, 0.0f),
                                                  TAVO::Tuple<2, float>(1.0f, 1.0f));

} // namespace

// ---- the gallery's updater ----

PictureSelectPanel::PictureGalleryUpdater::PictureGalleryUpdater(PictureSelectPanel& panel, PictureGallery& gallery,
                                                                 ItemSelect& list, Shape::ShapeShader& shader,
                                                                 std::unique_ptr<SharedComponent> busyIndicator)
    : panel_(&panel), gallery_(&gallery), list_(&list), shader_(shader), busyIndicator_(std::move(busyIndicator)) {}

PictureSelectPanel::PictureGalleryUpdater::~PictureGalleryUpdater() = default;

void PictureSelectPanel::PictureGalleryUpdater::added() {
    const TAVO::Tuple<2, float> cell = list_->cellSize();
    auto placeholder = std::make_unique<Panel>(cell, false);
    placeholder->add(std::make_unique<SharedComponent>(busyIndicator_->shared()), centre, centre, false);
    list_->append(std::move(placeholder));
    const auto count = std::uint32_t(gallery_->entries().size());
    if (count > 0)
        gallery_->loadThumbnail(count - 1);
}

void PictureSelectPanel::PictureGalleryUpdater::removed(std::uint32_t index) {
    if (index < list_->count())
        list_->remove(index);
}

void PictureSelectPanel::PictureGalleryUpdater::thumbnailReady(std::uint32_t index) {
    if (index >= list_->count() || index >= gallery_->entries().size())
        return;
    const std::uint32_t tile = gallery_->entries()[index].tile;
    if (tile == PictureGallery::Entry::noTile)
        return;
    const TileAtlas& atlas = gallery_->atlas();
    const std::uint32_t page = atlas.page(tile);
    if (page >= gallery_->pageCount())
        return;
    const std::shared_ptr<Shape::Texture>& texture = pages_.changed(page);

    const TAVO::Tuple<2, float> cell = list_->cellSize();
    const TAVO::Hyperrectangle<2, unsigned int> region = atlas.tileRegion(tile);
    const float w = float(region.extent()[0]), h = float(region.extent()[1]);
    const float s = std::min(cell[0] / w, cell[1] / h);
    auto item = std::make_unique<Panel>(cell, false);
    item->add(MenuBuilder::texturedSquare(shader_, TAVO::Tuple<2, float>(w * s, h * s),
                                          TAVO::Color(1.0f, 1.0f, 1.0f), texture,
                                          atlas.tileTextureRegion(tile)),
              centre, centre, false);
    list_->setItem(index, std::move(item));
}

void PictureSelectPanel::PictureGalleryUpdater::uploadPages() {
    pages_.upload([this](std::uint32_t page) -> const Picture& { return gallery_->page(page); });
}

// ---- the panel ----

PictureSelectPanel::PictureSelectPanel(MenuBuilder& builder, const TAVO::Tuple<2, float>& size,
                                       PictureGallery& gallery, std::unique_ptr<Component> back,
                                       std::unique_ptr<Component> play, std::unique_ptr<Component> cancel,
                                       std::unique_ptr<ItemSelect::EventHandler> itemHandler)
    : Panel(size, true), gallery_(&gallery), outerSpacing_(builder.style().outerSpacing) {
    const MenuStyle& style = builder.style();
    const float spacing = outerSpacing_;
    add(builder.rectangle(size, style.pageColor), centre, centre, true);

    auto list = std::make_unique<ItemSelect>(builder.shader(), style.listColor, style.thumbnailSize,
                                             style.listSpacing, false, std::move(itemHandler));
    list_ = list.get();
    updater_ = std::make_unique<PictureGalleryUpdater>(*this, gallery, *list_, builder.shader(),
                                                       builder.busyIndicator());
    gallery.setEventHandler(updater_.get());
    auto border =
        std::make_unique<Border>(builder.shader(), std::move(list), style.listBorderWidth, style.listBorderColor);
    galleryBorder_ = border.get();
    add(std::move(border), topCentre, TAVO::Vector<2, float>(0.5f, 0.9f), false);

    bottomRowHeight_ = 2.0f * spacing + back->size()[1];
    auto bottomRow = std::make_unique<Panel>(TAVO::Tuple<2, float>(back->size()[0], bottomRowHeight_), false);
    bottomRow->add(std::move(back), centre, centre, false);
    add(std::move(bottomRow), bottomCentre, bottomCentre, false);

    auto overlayPanel = std::make_unique<Panel>(size, true);
    overlayPanel_ = overlayPanel.get();
    auto veil = builder.rectangleWithAlpha(size, style.veilColor, style.veilAlpha);
    veil_ = veil.get();
    overlayPanel_->add(std::move(veil), centre, centre, false);

    const TAVO::Tuple<2, float> c = cancel->size(), p = play->size();
    previewRowHeight_ = 2.0f * spacing + std::max(c[1], p[1]);
    auto previewRow = std::make_unique<Panel>(TAVO::Tuple<2, float>(1.5f * (c[0] + p[0]), previewRowHeight_), false);
    previewRow->add(std::move(cancel), TAVO::Vector<2, float>(0.0f, 0.5f), TAVO::Vector<2, float>(0.0f, 0.5f), false);
    auto previewPart = std::make_unique<VisibleComponent>(std::move(play), false);
    previewPart_ = previewPart.get();
    previewRow->add(std::move(previewPart), TAVO::Vector<2, float>(1.0f, 0.5f), TAVO::Vector<2, float>(1.0f, 0.5f),
                    false);
    overlayPanel_->add(std::move(previewRow), bottomCentre, bottomCentre, false);

    auto previewBox = std::make_unique<Panel>(size, false);
    previewBox_ = previewBox.get();
    auto inner = std::make_unique<Switch>();
    innerSwitch_ = inner.get();
    waitingIndex_ = inner->add(builder.busyIndicator());
    auto previewShape = MenuBuilder::texturedSquare(builder.shader(), TAVO::Tuple<2, float>(100.0f, 100.0f),
                                                    TAVO::Color(1.0f, 1.0f, 1.0f), nullptr, wholeTexture);
    previewShape_ = previewShape.get();
    previewIndex_ = inner->add(std::move(previewShape));
    previewBox_->add(std::move(inner), centre, centre, false);
    overlayPanel_->add(std::move(previewBox), topCentre, topCentre, false);

    auto overlay = std::make_unique<VisibleComponent>(std::move(overlayPanel), false);
    overlay_ = overlay.get();
    add(std::move(overlay), centre, centre, false);

    setGeometry(size);
}

PictureSelectPanel::~PictureSelectPanel() {
    if (gallery_->eventHandler() == updater_.get())
        gallery_->setEventHandler(nullptr);
}

void PictureSelectPanel::draw() {
    updater_->uploadPages();
    Panel::draw();
}

void PictureSelectPanel::setGeometry(const TAVO::Tuple<2, float>& size) {
    Panel::setGeometry(size);
    const float spacing = outerSpacing_;
    const float W = size[0], H = size[1];
    galleryBorder_->setGeometry(TAVO::Tuple<2, float>(W - 2.0f * spacing, H - 2.0f * spacing - bottomRowHeight_));
    // A panel without height has no place below its top.
    if (H > 0.0f)
        setAnchors(*galleryBorder_, topCentre, TAVO::Vector<2, float>(0.5f, 1.0f - spacing / H));
    overlayPanel_->setGeometry(size);
    veil_->setGeometry(size);
    previewBox_->setGeometry(TAVO::Tuple<2, float>(W, std::max(0.0f, H - previewRowHeight_)));
    fitPreview();
}

void PictureSelectPanel::fitPreview() {
    const TAVO::Tuple<2, float> box = previewBox_->size();
    const float pw = float(pictureSize_[0]), ph = float(pictureSize_[1]);
    if (!(pw > 0.0f && ph > 0.0f && box[0] > 0.0f && box[1] > 0.0f))
        return;
    const float s = std::min(0.8f * box[0] / pw, 0.8f * box[1] / ph);
    previewShape_->setGeometry(TAVO::Tuple<2, float>(pw * s, ph * s));
}

void PictureSelectPanel::closeOverlay() {
    overlay_->setVisible(false);
    hidePreview();
}

void PictureSelectPanel::showWaiting() {
    overlay_->setVisible(true);
    innerSwitch_->select(waitingIndex_);
    hidePreview();
}

void PictureSelectPanel::hidePreview() {
    previewPart_->setVisible(false);
    // Only showPreview shows it again, with a texture of its own.
    previewTexture_.reset();
    previewShape_->setTexture(nullptr, wholeTexture);
}

void PictureSelectPanel::showPreview(std::shared_ptr<Shape::Texture> texture,
                                     const TAVO::Tuple<2, unsigned int>& pictureSize) {
    previewTexture_ = std::move(texture);
    previewShape_->setTexture(previewTexture_, wholeTexture);
    pictureSize_ = pictureSize;
    fitPreview();
    overlay_->setVisible(true);
    innerSwitch_->select(previewIndex_);
    previewPart_->setVisible(true);
}

bool PictureSelectPanel::overlayShown() const { return overlay_->visible(); }

bool PictureSelectPanel::previewShown() const {
    return overlay_->visible() && innerSwitch_->currentIndex() == previewIndex_ && previewPart_->visible();
}
