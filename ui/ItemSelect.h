#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/Color.h"
#include "ui/DecoratedComponent.h"
#include "ui/Panel.h"
#include "ui/Shape.h"

class Border;

// Components in a grid of equal cells on a coloured background, filled from
// the top left, row by row. It tells a handler which item the pointer is over
// and which one was clicked, and can frame the selected item. The list shows
// at most columns x rows items: the others lie far outside it.
//
// The selected index names the item last clicked; any value not below the
// item count means none. Insertions, removals and moves keep it on the same
// item, and "none" stays none.
class ItemSelect : public Panel {
public:
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        // The pointer button was released over the item.
        virtual void pressed(std::uint32_t index) = 0;
        // The pointer came over, left or moved over the item.
        virtual void hoverEntered(std::uint32_t) {}
        virtual void hoverLeft(std::uint32_t) {}
        virtual void hoverMoved(std::uint32_t) {}
    };

    // Holds one item in its cell and takes the pointer's presses and motions
    // for it: the item itself never sees them.
    class ItemContainer : public DecoratedComponent {
    public:
        ItemContainer(std::unique_ptr<Component> item, ItemSelect& list)
            : DecoratedComponent(std::move(item)), list_(&list) {}

        // A press is taken; a release selects the item and reports it.
        bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
        // Reports the hover; always taken.
        bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) override;

    private:
        ItemSelect* list_;
    };

    // The selected index of a list without selection.
    static constexpr std::uint32_t none = 0xFFFFFFFFu;
    // The frame of a framed list's items.
    static constexpr float frameWidth = 5.0f;
    static const TAVO::Color frameColor;

    // A list of 3 x 2 cells of the cell size plus the gap on each axis, its
    // background in the colour (opaque); framed lists put every item in an
    // unhighlighted border that the selection highlights. The handler may be
    // empty.
    ItemSelect(Shape::ShapeShader& shader, const TAVO::Color& background, const TAVO::Tuple<2, float>& cellSize,
               float gap, bool framed, std::unique_ptr<EventHandler> handler);

    // Puts the item at the index (at most the count; beyond it throws
    // std::out_of_range and changes nothing).
    void insert(std::uint32_t index, std::unique_ptr<Component> item);
    // Inserts at the end; returns the index.
    std::uint32_t append(std::unique_ptr<Component> item);
    // Takes the item out; removing the selected item leaves the selected
    // index where it was. An index out of range throws std::out_of_range.
    void remove(std::uint32_t index);
    // Takes the item at from out and puts it back at to. Indices out of range
    // throw std::out_of_range.
    void move(std::uint32_t from, std::uint32_t to);
    // The container at the index gets the new item (the old one is
    // destroyed) and its frame is fitted to it. An index out of range throws
    // std::out_of_range.
    void setItem(std::uint32_t index, std::unique_ptr<Component> item);

    std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    // The container's index; the count when it is not in the list.
    std::uint32_t indexOf(const ItemContainer& container) const;
    // The item at the index as the list holds it: its frame, or its
    // container when the list is not framed. Out of range throws std::out_of_range.
    Component& top(std::uint32_t index) const;
    // The frame of the item; null when the list is not framed.
    Border* frame(std::uint32_t index) const;
    // The transform of the item's top component.
    ComponentTransform itemTransform(std::uint32_t index) const;
    const TAVO::Tuple<2, float>& cellSize() const { return cellSize_; }
    // The cell size plus the gap on each axis.
    TAVO::Tuple<2, float> cellPitch() const;
    // Columns and rows.
    const TAVO::Tuple<2, unsigned int>& grid() const { return grid_; }
    std::uint32_t selectedIndex() const { return selected_; }
    bool hovering() const { return hovering_; }
    std::uint32_t hoveredIndex() const { return hovered_; }

    // As many cells as fit on each axis, 1 to 5; the list then has the size
    // of its grid, not the one given.
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    // The items' updates; then, while an item is hovered and a motion since
    // reached no item, the hover ends.
    void update(const FrameTime& frame) override;

private:
    struct Entry {
        Border* frame;
        ItemContainer* container;
        Component& top() const;
    };

    const Entry& entryAt(std::uint32_t index) const;
    // Sizes the list to its grid and puts every item in its cell.
    void layout();
    void place(std::uint32_t index);
    void released(const ItemContainer& container);
    void moved(const FrameTime& frame, const ItemContainer& container);

    Shape::ShapeShader& shader_;
    bool framed_;
    TAVO::Tuple<2, float> cellSize_;
    TAVO::Tuple<2, unsigned int> grid_{3u, 2u};
    bool hovering_ = false;
    std::uint32_t hovered_ = none;
    std::uint32_t motionStamp_ = 0;
    float gap_;
    std::vector<Entry> entries_;
    std::uint32_t selected_ = none;
    std::shared_ptr<EventHandler> handler_;
};
