#pragma once

#include <cstdint>

#include "geometry/Point.h"
#include "geometry/Tuple.h"
#include "geometry/Vector.h"
#include "ui/ComponentTransform.h"
#include "ui/FrameTime.h"

class Drag;

// A widget of the interface. Components form a tree; each knows its size
// only, and where it lies follows from its parent: its transform, from the
// window's normalised coordinates into its local space, is computed on demand
// by walking up the parents. Every event position is in normalised window
// coordinates and is handed down the tree unchanged.
//
// Event operations return true when the component took the event. A
// component that calls out to a handler touches none of its own state after
// the call: the handler may have removed it from its parent.
class Component {
public:
    // Menu key codes the view sends.
    static constexpr std::uint32_t escapeKey = 0;
    static constexpr std::uint32_t enterKey = 1;

    // The transform of one of this component's children. The identity here.
    virtual ComponentTransform childTransform(const Component& child) const;
    virtual ~Component();
    // The component is told its new size. Ignored here.
    virtual void setGeometry(const TAVO::Tuple<2, float>& size);
    virtual TAVO::Tuple<2, float> size() const = 0;
    // A button went down (pressed) or up. Not taken here.
    virtual bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed);
    // The pointer moved; held while the left button is down. Not taken here.
    virtual bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held);
    // The view's active drag moves over the interface, or is dropped on it.
    // Not taken here.
    virtual bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped);
    // A menu key code (escapeKey, enterKey). Not taken here.
    virtual bool keyPress(const FrameTime& frame, std::uint32_t key);
    // One fixed step. Nothing here.
    virtual void update(const FrameTime& frame);
    // Draws the component in its place.
    virtual void draw() = 0;

    // With a parent, the parent's childTransform of this component; without
    // one, the map of the normalised window rectangle (-1, -1)-(1, 1) onto the
    // local rectangle (0, 0)-size.
    ComponentTransform transform() const;
    // Null for a root and for a component in no tree.
    Component* parent() const { return parent_; }

    Component& operator=(const Component&) = delete;

protected:
    Component() = default;
    // A copy is in no tree.
    Component(const Component&) : parent_(nullptr) {}

    // Containers set and clear their children's parent pointer.
    static void setParentOf(Component& child, Component* parent) { child.parent_ = parent; }
    // Clears the pointer only where it still names the given parent.
    static void releaseFrom(Component& child, const Component* parent) {
        if (child.parent_ == parent)
            child.parent_ = nullptr;
    }

private:
    Component* parent_ = nullptr;
};

// The point of a component at the fraction of its size, in its local space.
TAVO::Point<2, float> anchorPoint(const Component& component, const TAVO::Vector<2, float>& fraction);
