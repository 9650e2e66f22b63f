#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/Button.h"
#include "ui/Panel.h"

class Switch;

// A row of segments of which one is selected: each segment shows its
// selected look or its normal look, and a release on a segment selects it.
// Segments react to the pointer only. No segment shows its selected look
// until the first selection, although the selected index starts at 0.
class SegmentedControl : public Panel {
public:
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        virtual void selected(std::uint32_t index) = 0;
    };

    // One segment as the constructor takes it: its two looks and where it
    // goes in the control.
    struct Segment {
        std::unique_ptr<Component> selectedLook;
        std::unique_ptr<Component> normalLook;
        TAVO::Vector<2, float> childAnchor{0.5f, 0.5f};
        TAVO::Vector<2, float> parentAnchor{0.5f, 0.5f};
    };

    // The button handler of a segment: selects it.
    class ControlPressedEvent : public Button::EventHandler {
    public:
        ControlPressedEvent(SegmentedControl* control, std::uint32_t index) : control_(control), index_(index) {}
        void invoke() override;

    private:
        SegmentedControl* control_;
        std::uint32_t index_;
    };

    // Spreads the segments' centres evenly along the row (parent anchor
    // ((2i + 1) / 2n, 0.5) for segment i of n) and returns the row's size:
    // 1.2 times the sum of the wider look of each segment by the tallest look.
    static TAVO::Tuple<2, float> arrange(std::vector<Segment>& segments);

    // A panel of the size, not opaque. Each segment becomes a switch of its
    // two looks (showing the normal one) inside a button that selects it
    // (with a key no key sends), placed by the segment's anchors.
    SegmentedControl(const TAVO::Tuple<2, float>& size, std::vector<Segment> segments,
                     std::unique_ptr<EventHandler> handler);

    // The segment that was selected shows its normal look, the new one its
    // selected look, and the handler hears of the index, even when it was
    // selected already. An index that names no segment changes no look but is
    // kept and reported.
    void select(std::uint32_t index);
    std::uint32_t selectedIndex() const { return selected_; }
    std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }
    // Whether the segment shows its selected look.
    bool showsSelected(std::uint32_t index) const;

private:
    struct Entry {
        Switch* looks;
        std::uint32_t selectedLook;
        std::uint32_t normalLook;
    };

    std::vector<Entry> entries_;
    std::uint32_t selected_ = 0;
    std::shared_ptr<EventHandler> handler_;
};
