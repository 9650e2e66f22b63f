#include "ui/Panel.h"

#include <algorithm>
#include <string>

#include "foundation/exceptions/NotFoundException.h"
#include "foundation/exceptions/UninitializedException.h"

namespace {

TAVO::NotFoundException<std::string> notAChild() {
    return TAVO::NotFoundException<std::string>(TAVO::SourceLocation(), "the component", "the panel's children");
}

} // namespace

Panel::Panel(const TAVO::Tuple<2, float>& size, bool opaque) : size_(size), opaque_(opaque) {}

Panel::~Panel() {
    // Children held elsewhere as well must not keep pointing here.
    for (const auto& child : children_)
        releaseFrom(*child, this);
}

void Panel::add(std::unique_ptr<Component> child, const TAVO::Vector<2, float>& childAnchor,
                const TAVO::Vector<2, float>& parentAnchor, bool follows) {
    add(std::move(child), childAnchor, parentAnchor, TAVO::Vector<2, float>(0.0f, 0.0f), follows);
}

void Panel::add(std::unique_ptr<Component> child, const TAVO::Vector<2, float>& childAnchor,
                const TAVO::Vector<2, float>& parentAnchor, const TAVO::Vector<2, float>& offset, bool follows) {
    if (!child)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "panel's child");
    Component* raw = child.get();
    layout_[raw] = Layout{childAnchor, parentAnchor, offset};
    children_.push_back(std::shared_ptr<Component>(std::move(child)));
    setParentOf(*raw, this);
    if (follows)
        followers_.push_back(raw);
}

Panel::Layout& Panel::layoutEntry(const Component& child) {
    auto found = layout_.find(&child);
    if (found == layout_.end())
        throw notAChild();
    return found->second;
}

const Panel::Layout& Panel::layout(const Component& child) const {
    auto found = layout_.find(&child);
    if (found == layout_.end())
        throw notAChild();
    return found->second;
}

void Panel::setLayout(const Component& child, const TAVO::Vector<2, float>& childAnchor,
                      const TAVO::Vector<2, float>& parentAnchor, const TAVO::Vector<2, float>& offset) {
    layoutEntry(child) = Layout{childAnchor, parentAnchor, offset};
}

void Panel::setAnchors(const Component& child, const TAVO::Vector<2, float>& childAnchor,
                       const TAVO::Vector<2, float>& parentAnchor) {
    Layout& entry = layoutEntry(child);
    entry.childAnchor = childAnchor;
    entry.parentAnchor = parentAnchor;
}

void Panel::remove(const Component& child) {
    auto found = std::find_if(children_.begin(), children_.end(),
                              [&](const std::shared_ptr<Component>& c) { return c.get() == &child; });
    if (found == children_.end())
        return;
    // Held until the bookkeeping is done: the panel's share may be the last.
    std::shared_ptr<Component> leaving = *found;
    children_.erase(found);
    layout_.erase(&child);
    followers_.erase(std::remove(followers_.begin(), followers_.end(), &child), followers_.end());
    releaseFrom(*leaving, this);
}

ComponentTransform Panel::childTransform(const Component& child) const {
    const Layout& entry = layout(child);
    ComponentTransform t = transform();
    const TAVO::Tuple<2, float> c = child.size();
    for (int i = 0; i < 2; ++i)
        t.offset[i] += entry.childAnchor[i] * c[i] - entry.parentAnchor[i] * size_[i] - entry.offset[i];
    return t;
}

void Panel::setGeometry(const TAVO::Tuple<2, float>& size) {
    size_ = size;
    // A follower may change the panel's children while it takes its size.
    const std::vector<Component*> followers = followers_;
    for (Component* follower : followers) {
        if (std::find(followers_.begin(), followers_.end(), follower) == followers_.end())
            continue;
        auto found = std::find_if(children_.begin(), children_.end(),
                                  [&](const std::shared_ptr<Component>& c) { return c.get() == follower; });
        if (found == children_.end())
            continue;
        const std::shared_ptr<Component> child = *found;
        child->setGeometry(size);
    }
}

template <class Call>
bool Panel::dispatch(const TAVO::Point<2, float>& position, Call call) {
    // The children as they were when the event arrived, each held for the
    // walk; one that a handler took out of the panel meanwhile is passed over.
    const std::vector<std::shared_ptr<Component>> walk = children_;
    for (auto child = walk.rbegin(); child != walk.rend(); ++child) {
        if ((*child)->parent() != this)
            continue;
        const TAVO::Point<2, float> local = childTransform(**child).apply(position);
        const TAVO::Tuple<2, float> c = (*child)->size();
        if (!(local[0] >= 0.0f && local[0] < c[0] && local[1] >= 0.0f && local[1] < c[1]))
            continue;
        if (call(**child))
            return true;
    }
    return opaque_;
}

bool Panel::pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) {
    return dispatch(position, [&](Component& c) { return c.pointerButton(frame, position, pressed); });
}

bool Panel::pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) {
    return dispatch(position, [&](Component& c) { return c.pointerMotion(frame, position, held); });
}

bool Panel::dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) {
    return dispatch(position, [&](Component& c) { return c.dragOver(frame, position, drag, dropped); });
}

bool Panel::keyPress(const FrameTime& frame, std::uint32_t key) {
    const std::vector<std::shared_ptr<Component>> walk = children_;
    for (auto child = walk.rbegin(); child != walk.rend(); ++child)
        if ((*child)->parent() == this && (*child)->keyPress(frame, key))
            return true;
    return opaque_;
}

void Panel::update(const FrameTime& frame) {
    const std::vector<std::shared_ptr<Component>> walk = children_;
    for (auto child = walk.rbegin(); child != walk.rend(); ++child)
        if ((*child)->parent() == this)
            (*child)->update(frame);
}

void Panel::draw() {
    const std::vector<std::shared_ptr<Component>> walk = children_;
    for (const auto& child : walk)
        if (child->parent() == this)
            child->draw();
}
