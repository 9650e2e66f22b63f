#include "ui/menu/TrayBar.h"

#include <GL/glew.h>

#include <algorithm>

#include "model/Table.h"
#include "model/Workspace.h"
#include "sdlgl/Checks.h"
#include "sdlgl/Texture.h"
#include "ui/Border.h"
#include "ui/Drag.h"
#include "ui/menu/MenuBuilder.h"
#include "ui/menu/MenuView.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);
const TAVO::Vector<2, float> topCentre(0.5f, 1.0f);
const TAVO::Vector<2, float> bottomCentre(0.5f, 0.0f);
const TAVO::Vector<2, float> topLeft(0.0f, 1.0f);

// A golden rectangle 100 wide.
constexpr float newTrayHeight = 61.8034f;

} // namespace

// ---- icons ----

bool TrayBar::TrayIcon::pointerButton(const FrameTime&, const TAVO::Point<2, float>&, bool pressed) {
    if (pressed)
        return false;
    bar_->view_->selectTray(tray_);
    return true;
}

bool TrayBar::TrayIcon::dragOver(const FrameTime&, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) {
    if (dropped)
        return drag.dropIntoTray(tray_);
    return drag.hoverTrayBar(position, true);
}

bool TrayBar::NewTrayIcon::dragOver(const FrameTime&, const TAVO::Point<2, float>& position, Drag& drag,
                                    bool dropped) {
    if (dropped)
        return drag.dropIntoNewTray();
    return drag.hoverTrayBar(position, true);
}

// ---- the bar ----

float TrayBar::margin() { return MenuStyle::trayBarMargin; }

TrayBar::TrayBar(MenuBuilder& builder, MenuView& view, Workspace& workspace, std::unique_ptr<Component> header)
    : Panel(TAVO::Tuple<2, float>(1.0f, 1.0f), true), view_(&view), shader_(builder.shader()),
      workspace_(&workspace), headerHeight_(header->size()[1]),
      atlas_(tilesPerSide, TAVO::Tuple<2, unsigned int>(tileWidth, MenuStyle::trayIconHeight)),
      normalColor_(builder.style().trayBorderColor), selectedColor_(builder.style().selectedTrayBorderColor),
      borderWidth_(builder.style().trayBorderWidth) {
    const MenuStyle& style = builder.style();
    add(builder.rectangle(size(), style.pageColor), centre, centre, true);
    // The header keeps its own size: it is a button at the top, not a
    // cover of the whole bar.
    add(std::move(header), topLeft, topLeft, false);
    auto page = builder.rectangle(TAVO::Tuple<2, float>(float(tileWidth), newTrayHeight), style.pageColor);
    auto newTray = std::make_unique<NewTrayIcon>(
        std::make_unique<Border>(shader_, std::move(page), borderWidth_, style.listBorderColor));
    icons_.push_back(newTray.get());
    add(std::move(newTray), bottomCentre, bottomCentre, false);
    arrangeIcons();
}

TrayBar::~TrayBar() = default;

void TrayBar::makeIcon(std::uint32_t tray) {
    const std::uint32_t tile = atlas_.allocate();
    const std::uint32_t page = atlas_.page(tile);
    // The page's texture gets its pixels when a picture is first drawn into it.
    while (pages_.size() <= page)
        pages_.push_back(std::make_shared<Shape::Texture>());
    auto picture = MenuBuilder::texturedSquare(
        shader_, TAVO::Tuple<2, float>(float(tileWidth), float(MenuStyle::trayIconHeight)),
        TAVO::Color(1.0f, 1.0f, 1.0f), pages_[page], atlas_.tileTextureRegion(tile));
    auto border = std::make_unique<Border>(shader_, std::move(picture), borderWidth_, normalColor_);
    Border* frame = border.get();
    auto icon = std::make_unique<TrayIcon>(*this, tray, std::move(border));
    TrayIcon* raw = icon.get();
    add(std::move(icon), topCentre, topCentre, false);
    icons_.insert(icons_.end() - 1, raw);
    iconMap_[tray] = IconEntry{raw, frame, tile, true};
}

void TrayBar::dropIcon(Component& icon) {
    icons_.erase(std::remove(icons_.begin(), icons_.end(), &icon), icons_.end());
    remove(icon);
}

void TrayBar::setTrays(const std::vector<unsigned int>& order) {
    for (auto& entry : iconMap_)
        dropIcon(*entry.second.icon);
    iconMap_.clear();
    for (unsigned int tray : order)
        if (iconMap_.count(tray) == 0)
            makeIcon(tray);
    arrangeIcons();
}

void TrayBar::addTray(std::uint32_t tray) {
    auto found = iconMap_.find(tray);
    if (found != iconMap_.end()) {
        found->second.dirty = true;
        return;
    }
    makeIcon(tray);
    arrangeIcons();
}

void TrayBar::removeTray(std::uint32_t tray) {
    auto found = iconMap_.find(tray);
    if (found == iconMap_.end())
        return;
    TrayIcon* icon = found->second.icon;
    iconMap_.erase(found);
    dropIcon(*icon);
    arrangeIcons();
}

void TrayBar::invalidate(std::uint32_t tray) {
    auto found = iconMap_.find(tray);
    if (found != iconMap_.end())
        found->second.dirty = true;
}

void TrayBar::highlight(std::uint32_t tray) {
    for (auto& [id, entry] : iconMap_)
        entry.border->setColor(id == tray ? selectedColor_ : normalColor_);
}

TrayBar::TrayIcon* TrayBar::icon(std::uint32_t tray) const {
    auto found = iconMap_.find(tray);
    return found == iconMap_.end() ? nullptr : found->second.icon;
}

Border* TrayBar::border(std::uint32_t tray) const {
    auto found = iconMap_.find(tray);
    return found == iconMap_.end() ? nullptr : found->second.border;
}

std::uint32_t TrayBar::tile(std::uint32_t tray) const {
    auto found = iconMap_.find(tray);
    return found == iconMap_.end() ? 0xFFFFFFFFu : found->second.tile;
}

bool TrayBar::dirty(std::uint32_t tray) const {
    auto found = iconMap_.find(tray);
    return found != iconMap_.end() && found->second.dirty;
}

void TrayBar::arrangeIcons() {
    const float m = margin();
    float y = m + headerHeight_;
    for (Component* icon : icons_) {
        setLayout(*icon, topCentre, topCentre, TAVO::Vector<2, float>(0.0f, -y));
        y += icon->size()[1] + m;
    }
}

void TrayBar::setGeometry(const TAVO::Tuple<2, float>& size) {
    Panel::setGeometry(TAVO::Tuple<2, float>(2.0f * margin() + float(tileWidth), size[1]));
}

std::shared_ptr<Component> TrayBar::iconAt(const TAVO::Point<2, float>& position) const {
    for (const auto& child : children()) {
        if (std::find(icons_.begin(), icons_.end(), child.get()) == icons_.end())
            continue;
        const TAVO::Point<2, float> local = childTransform(*child).apply(position);
        const TAVO::Tuple<2, float> s = child->size();
        if (local[0] >= 0.0f && local[0] < s[0] && local[1] >= 0.0f && local[1] < s[1])
            return child;
    }
    return nullptr;
}

bool TrayBar::dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) {
    // Held for the call: a drop into a new tray adds an icon to the bar.
    if (const std::shared_ptr<Component> icon = iconAt(position)) {
        icon->dragOver(frame, position, drag, dropped);
        return true;
    }
    if (!dropped)
        drag.hoverTrayBar(position, false);
    return true;
}

void TrayBar::update(const FrameTime&) {
    std::vector<std::uint32_t> due;
    for (const auto& [tray, entry] : iconMap_)
        if (entry.dirty && workspace_->table().hasTray(tray))
            due.push_back(tray);
    for (std::uint32_t tray : due) {
        auto found = iconMap_.find(tray);
        if (found == iconMap_.end())
            continue;
        const std::uint32_t tile = found->second.tile;
        Shape::Texture& page = *pages_.at(atlas_.page(tile));
        createPage(page);
        const TAVO::Hyperrectangle<2, unsigned int> region = atlas_.tileRegion(tile);
        const TAVO::Tuple<2, unsigned int> viewSize(thumbnailViewWidth,
                                                   region.extent()[1] * thumbnailViewWidth / region.extent()[0]);
        found->second.dirty = false;
        view_->renderTrayThumbnail(tray, page, region, viewSize);
    }
}

void TrayBar::draw() {
    // A frame may come before the step that draws the pictures (a drop into
    // a new tray in a pass without a step): every page needs its storage.
    for (const std::shared_ptr<Shape::Texture>& page : pages_)
        createPage(*page);
    Panel::draw();
}

void TrayBar::createPage(Shape::Texture& page) const {
    if (page.isCreated())
        return;
    const TAVO::Vector<2, unsigned int> pageSize = atlas_.pageSize();
    page.uploadRaw(GL_RGB8, GLsizei(pageSize[0]), GLsizei(pageSize[1]), GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    TAVO::IK::SDLGL::checkGLError();
    page.setFilter(GL_LINEAR);
}
