#pragma once

#include <map>
#include <memory>
#include <vector>

#include "ui/Component.h"

// Places any number of children by anchors. Children added later are drawn
// on top and offered input first. A panel shares ownership of its children.
//
// Handlers reached through a panel may remove children (the very one being
// called included) or add new ones while the panel walks its children: the
// walk goes over the children as they were when it began, holding each, and
// passes over those that have left the panel meanwhile; children added
// meanwhile see the next event.
class Panel : public Component {
public:
    // Where a child lies: its childAnchor point (a fraction of its size) on
    // the panel's parentAnchor point (a fraction of the panel's size) plus
    // the offset (in the panel's units). Its lower-left corner is then
    // parentAnchor * panelSize + offset - childAnchor * childSize.
    struct Layout {
        TAVO::Vector<2, float> childAnchor;
        TAVO::Vector<2, float> parentAnchor;
        TAVO::Vector<2, float> offset;
    };

    // opaque: the answer to a pointer, drag or key event no child takes.
    Panel(const TAVO::Tuple<2, float>& size, bool opaque);
    ~Panel() override;

    // Appends the child (drawn last, offered input first) and becomes its
    // parent; a following child is given the panel's size by setGeometry.
    // An empty pointer throws UninitializedException.
    void add(std::unique_ptr<Component> child, const TAVO::Vector<2, float>& childAnchor,
             const TAVO::Vector<2, float>& parentAnchor, bool follows);
    void add(std::unique_ptr<Component> child, const TAVO::Vector<2, float>& childAnchor,
             const TAVO::Vector<2, float>& parentAnchor, const TAVO::Vector<2, float>& offset, bool follows);
    // Replace a child's placement; setAnchors keeps its offset. A component
    // that is not a child throws NotFoundException.
    void setLayout(const Component& child, const TAVO::Vector<2, float>& childAnchor,
                   const TAVO::Vector<2, float>& parentAnchor, const TAVO::Vector<2, float>& offset);
    void setAnchors(const Component& child, const TAVO::Vector<2, float>& childAnchor,
                    const TAVO::Vector<2, float>& parentAnchor);
    // The child leaves the panel: its layout, its place among the followers
    // and the panel's share of it go, and it has no parent any more. A
    // component that is not a child is ignored.
    void remove(const Component& child);

    // A child's placement; a component that is not a child throws NotFoundException.
    const Layout& layout(const Component& child) const;
    const std::vector<std::shared_ptr<Component>>& children() const { return children_; }
    bool opaque() const { return opaque_; }

    // The panel's transform moved to the child's lower-left corner; the scale
    // is the panel's. A component that is not a child throws NotFoundException.
    ComponentTransform childTransform(const Component& child) const override;
    // Stores the size and gives it to every follower; other children keep theirs.
    void setGeometry(const TAVO::Tuple<2, float>& size) override;
    TAVO::Tuple<2, float> size() const override { return size_; }
    // Offered to the children under the position, last to first, until one
    // takes it; otherwise the opaque flag. A child is under the position when
    // 0 <= local < its size on both axes.
    bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
    bool pointerMotion(const FrameTime& frame, const TAVO::Point<2, float>& position, bool held) override;
    bool dragOver(const FrameTime& frame, const TAVO::Point<2, float>& position, Drag& drag, bool dropped) override;
    // Offered to every child, last to first, until one takes it; otherwise
    // the opaque flag.
    bool keyPress(const FrameTime& frame, std::uint32_t key) override;
    // Every child, last to first.
    void update(const FrameTime& frame) override;
    // Every child, first to last, so later ones cover earlier ones.
    void draw() override;

private:
    // Offers the event to the children under the position; call(child)
    // forwards it.
    template <class Call>
    bool dispatch(const TAVO::Point<2, float>& position, Call call);
    Layout& layoutEntry(const Component& child);

    TAVO::Tuple<2, float> size_;
    bool opaque_;
    std::vector<std::shared_ptr<Component>> children_;
    std::map<const Component*, Layout> layout_;
    std::vector<Component*> followers_;
};
