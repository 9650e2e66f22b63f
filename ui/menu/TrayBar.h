#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "imaging/TileAtlas.h"
#include "ui/DecoratedComponent.h"
#include "ui/Panel.h"
#include "ui/Shape.h"

class Border;
class MenuBuilder;
class MenuView;
class Workspace;

// A column at the side of the play page with one icon per tray of the table,
// each showing a small picture of the tray's parts, and a last icon that
// stands for a new tray. A click on an icon makes its tray current; a part
// carried over the bar can be dropped into a tray or into a new one. The
// bar's icons follow the table's tray notifications, which may disagree with
// the bar: an id that already has an icon keeps it, unknown ids are ignored,
// and no picture is drawn for a tray the table lacks.
class TrayBar : public Panel {
public:
    // One tray's icon: its picture in a border.
    class TrayIcon : public DecoratedComponent {
    public:
        TrayIcon(TrayBar& bar, std::uint32_t tray, std::unique_ptr<Component> child)
            : DecoratedComponent(std::move(child)), bar_(&bar), tray_(tray) {}

        std::uint32_t tray() const { return tray_; }
        // A press is not taken; the release selects the tray and is taken.
        bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
        // A drop goes into the tray; a hover tells the drag it is on an icon.
        bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag,
                      bool dropped) override;

    private:
        TrayBar* bar_;
        std::uint32_t tray_;
    };

    // The icon that stands for a new tray.
    class NewTrayIcon : public DecoratedComponent {
    public:
        explicit NewTrayIcon(std::unique_ptr<Component> child) : DecoratedComponent(std::move(child)) {}
        // A drop goes into a new tray; a hover tells the drag it is on an icon.
        bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag,
                      bool dropped) override;
    };

    // The tile size of a tray picture is 100 by the style's tray-icon height.
    static constexpr unsigned int tileWidth = 100;
    static constexpr std::uint32_t tilesPerSide = 2;
    // Thumbnails are drawn as a window this wide would show the tray.
    static constexpr unsigned int thumbnailViewWidth = 2560;

    // The header (owned) is shown at the top of the bar.
    TrayBar(MenuBuilder& builder, MenuView& view, Workspace& workspace, std::unique_ptr<Component> header);
    ~TrayBar() override;

    // An icon per id in the order given, then the new-tray icon.
    void setTrays(const std::vector<unsigned int>& order);
    // The tray's icon goes just above the new-tray icon; an id that has one
    // keeps it, its picture drawn again.
    void addTray(std::uint32_t tray);
    // An id without an icon is ignored. Its tile is not handed out again.
    void removeTray(std::uint32_t tray);
    // The picture is drawn again at the next update; an id without an icon is ignored.
    void invalidate(std::uint32_t tray);
    // Every border takes the normal colour, the tray's the selected one.
    void highlight(std::uint32_t tray);

    // The icons in bar order, the new-tray icon last.
    const std::vector<Component*>& icons() const { return icons_; }
    // The tray's icon; null for an id without one.
    TrayIcon* icon(std::uint32_t tray) const;
    Border* border(std::uint32_t tray) const;
    std::uint32_t tile(std::uint32_t tray) const;
    bool dirty(std::uint32_t tray) const;
    const TileAtlas& atlas() const { return atlas_; }
    const std::vector<std::shared_ptr<Shape::Texture>>& pages() const { return pages_; }
    float headerHeight() const { return headerHeight_; }
    // The margin around the icons: a tenth of the icon height.
    static float margin();

    // The width is fixed: the icons and a margin on each side.
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    // Taken everywhere on the bar; an icon under the pointer is offered it
    // first, and a hover elsewhere tells the drag it is off the icons.
    bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) override;
    // Draws the out-of-date pictures of trays the table has, in ascending
    // tray id; the icons themselves are not updated.
    void update(const FrameTime& frame) override;
    // Gives every page its storage first: pictures not drawn yet show
    // whatever the page holds.
    void draw() override;

private:
    struct IconEntry {
        TrayIcon* icon;
        Border* border;
        std::uint32_t tile;
        bool dirty;
    };

    void makeIcon(std::uint32_t tray);
    // Gives the page its storage of atlas_.pageSize() pixels unless it has one.
    void createPage(Shape::Texture& page) const;
    void dropIcon(Component& icon);
    void arrangeIcons();
    // The icon under the position, held; empty for none.
    std::shared_ptr<Component> iconAt(const TAVO::Point<2, float>& position) const;

    MenuView* view_;
    Shape::ShapeShader& shader_;
    Workspace* workspace_;
    float headerHeight_;
    std::vector<Component*> icons_;
    TileAtlas atlas_;
    std::vector<std::shared_ptr<Shape::Texture>> pages_;
    std::map<std::uint32_t, IconEntry> iconMap_;
    TAVO::Color normalColor_;
    TAVO::Color selectedColor_;
    float borderWidth_;
};
