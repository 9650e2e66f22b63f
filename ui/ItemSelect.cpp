#include "ui/ItemSelect.h"

#include <cmath>
#include <stdexcept>

#include "geometry/Polygon.h"
#include "ui/Border.h"

namespace {

const TAVO::Vector<2, float> centre(0.5f, 0.5f);

[[noreturn]] void outOfRange() { throw std::out_of_range("invalid vector subscript"); }

// The cells that fit in a length: the quotient truncated, at least 1 (also
// for a quotient that is negative or not a number) and at most 5.
unsigned int cellsIn(float length, float pitch) {
    const float quotient = length / pitch;
    if (!(quotient >= 1.0f))
        return 1;
    if (quotient >= 5.0f)
        return 5;
    return static_cast<unsigned int>(quotient);
}

Polygon unitSquare() {
    Polygon square;
    square.insertRectangle(
        TAVO::Hyperrectangle<2, float>(TAVO::Point<2, float>(0.0f, 0.0f), TAVO::Tuple<2, float>(1.0f, 1.0f)));
    return square;
}

} // namespace

const TAVO::Color ItemSelect::frameColor(0.25f, 0.25f, 1.0f);

Component& ItemSelect::Entry::top() const {
    if (frame != nullptr)
        return *frame;
    return *container;
}

bool ItemSelect::ItemContainer::pointerButton(const FrameTime&, const TAVO::Point<2, float>&, bool pressed) {
    if (!pressed)
        list_->released(*this);
    return true;
}

bool ItemSelect::ItemContainer::pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>&, bool) {
    list_->moved(frame, *this);
    return true;
}

ItemSelect::ItemSelect(Shape::ShapeShader& shader, const TAVO::Color& background,
                       const TAVO::Tuple<2, float>& cellSize, float gap, bool framed,
                       std::unique_ptr<EventHandler> handler)
    : Panel(TAVO::Tuple<2, float>(1.0f, 1.0f), false), shader_(shader), framed_(framed), cellSize_(cellSize),
      gap_(gap), handler_(std::move(handler)) {
    const TAVO::Hyperrectangle<2, float> unit(TAVO::Point<2, float>(0.0f, 0.0f), TAVO::Tuple<2, float>(1.0f, 1.0f));
    add(std::make_unique<Shape>(shader_, unitSquare(), unit, TAVO::Tuple<2, float>(1.0f, 1.0f), background, false),
        centre, centre, true);
    layout();
}

TAVO::Tuple<2, float> ItemSelect::cellPitch() const {
    return TAVO::Tuple<2, float>(cellSize_[0] + gap_, cellSize_[1] + gap_);
}

void ItemSelect::layout() {
    const TAVO::Tuple<2, float> pitch = cellPitch();
    Panel::setGeometry(TAVO::Tuple<2, float>(pitch[0] * static_cast<float>(grid_[0]),
                                             pitch[1] * static_cast<float>(grid_[1])));
    for (std::uint32_t i = 0; i < count(); ++i)
        place(i);
}

void ItemSelect::place(std::uint32_t index) {
    const unsigned int columns = grid_[0], rows = grid_[1];
    const unsigned int column = index % columns, row = index / columns;
    // Rows beyond the grid wrap around to a row far above the list: neither
    // seen nor hit.
    const std::uint32_t fromBottom = rows - row - 1u;
    const TAVO::Vector<2, float> parentAnchor((static_cast<float>(column) + 0.5f) / static_cast<float>(columns),
                                              (static_cast<float>(fromBottom) + 0.5f) / static_cast<float>(rows));
    setAnchors(entries_[index].top(), centre, parentAnchor);
}

void ItemSelect::setGeometry(const TAVO::Tuple<2, float>& size) {
    const TAVO::Tuple<2, float> pitch = cellPitch();
    grid_ = TAVO::Tuple<2, unsigned int>(cellsIn(size[0], pitch[0]), cellsIn(size[1], pitch[1]));
    layout();
}

void ItemSelect::insert(std::uint32_t index, std::unique_ptr<Component> item) {
    if (index > count())
        outOfRange();
    const std::uint32_t before = count();
    auto container = std::make_unique<ItemContainer>(std::move(item), *this);
    Entry entry{nullptr, container.get()};
    std::unique_ptr<Component> top = std::move(container);
    if (framed_) {
        auto frame = std::make_unique<Border>(shader_, std::move(top), frameWidth, frameColor);
        frame->setHighlighted(false);
        entry.frame = frame.get();
        top = std::move(frame);
    }
    add(std::move(top), centre, centre, false);
    entries_.insert(entries_.begin() + index, entry);
    if (index == before)
        place(index);
    else
        layout();
    if (selected_ < before) {
        if (selected_ >= index)
            ++selected_;
    } else {
        selected_ = none;
    }
}

std::uint32_t ItemSelect::append(std::unique_ptr<Component> item) {
    const std::uint32_t index = count();
    insert(index, std::move(item));
    return index;
}

void ItemSelect::remove(std::uint32_t index) {
    if (index >= count())
        outOfRange();
    const std::uint32_t before = count();
    const Entry entry = entries_[index];
    entries_.erase(entries_.begin() + index);
    Panel::remove(entry.top());
    layout();
    if (selected_ < before && selected_ > index)
        --selected_;
}

void ItemSelect::move(std::uint32_t from, std::uint32_t to) {
    if (from >= count() || to >= count())
        outOfRange();
    if (from == to)
        return;
    const Entry entry = entries_[from];
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, entry);
    layout();
    if (selected_ >= count())
        return;
    if (selected_ == from) {
        selected_ = to;
        return;
    }
    if (selected_ > from)
        --selected_;
    if (selected_ >= to)
        ++selected_;
}

void ItemSelect::setItem(std::uint32_t index, std::unique_ptr<Component> item) {
    const Entry& entry = entryAt(index);
    entry.container->setChild(std::move(item));
    if (entry.frame != nullptr)
        entry.frame->childResized();
}

const ItemSelect::Entry& ItemSelect::entryAt(std::uint32_t index) const {
    if (index >= count())
        outOfRange();
    return entries_[index];
}

std::uint32_t ItemSelect::indexOf(const ItemContainer& container) const {
    for (std::uint32_t i = 0; i < count(); ++i)
        if (entries_[i].container == &container)
            return i;
    return count();
}

Component& ItemSelect::top(std::uint32_t index) const { return entryAt(index).top(); }

Border* ItemSelect::frame(std::uint32_t index) const { return entryAt(index).frame; }

ComponentTransform ItemSelect::itemTransform(std::uint32_t index) const { return top(index).transform(); }

void ItemSelect::released(const ItemContainer& container) {
    const std::uint32_t index = indexOf(container);
    if (index >= count())
        return;
    if (selected_ < count() && entries_[selected_].frame != nullptr)
        entries_[selected_].frame->setHighlighted(false);
    selected_ = index;
    if (entries_[index].frame != nullptr)
        entries_[index].frame->setHighlighted(true);
    if (handler_) {
        const std::shared_ptr<EventHandler> handler = handler_;
        handler->pressed(index);
    }
}

void ItemSelect::moved(const FrameTime& frame, const ItemContainer& container) {
    const std::uint32_t index = indexOf(container);
    if (index >= count())
        return;
    motionStamp_ = frame.motionEvents;
    const bool was = hovering_;
    const std::uint32_t old = hovered_;
    hovering_ = true;
    hovered_ = index;
    // The handler is called last: it may change the list.
    const std::shared_ptr<EventHandler> handler = handler_;
    if (!handler)
        return;
    if (was && old == index) {
        handler->hoverMoved(index);
        return;
    }
    if (was)
        handler->hoverLeft(old);
    handler->hoverEntered(index);
    handler->hoverMoved(index);
}

void ItemSelect::update(const FrameTime& frame) {
    Panel::update(frame);
    if (!hovering_ || motionStamp_ == frame.motionEvents)
        return;
    hovering_ = false;
    const std::shared_ptr<EventHandler> handler = handler_;
    if (handler)
        handler->hoverLeft(hovered_);
}
