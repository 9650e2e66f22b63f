#include "ui/SegmentedControl.h"

#include <algorithm>
#include <stdexcept>

#include "ui/Switch.h"

void SegmentedControl::ControlPressedEvent::invoke() { control_->select(index_); }

TAVO::Tuple<2, float> SegmentedControl::arrange(std::vector<Segment>& segments) {
    float width = 0.0f, height = 0.0f;
    const auto n = static_cast<float>(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        Segment& segment = segments[i];
        float wider = 0.0f;
        for (const Component* look : {segment.selectedLook.get(), segment.normalLook.get()}) {
            if (look == nullptr)
                continue;
            wider = std::max(wider, look->size()[0]);
            height = std::max(height, look->size()[1]);
        }
        width += wider;
        segment.parentAnchor = TAVO::Vector<2, float>((2.0f * static_cast<float>(i) + 1.0f) / (2.0f * n), 0.5f);
    }
    return TAVO::Tuple<2, float>(1.2f * width, height);
}

SegmentedControl::SegmentedControl(const TAVO::Tuple<2, float>& size, std::vector<Segment> segments,
                                   std::unique_ptr<EventHandler> handler)
    : Panel(size, false), handler_(std::move(handler)) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        Segment& segment = segments[i];
        auto looks = std::make_unique<Switch>();
        Entry entry{looks.get(), 0, 0};
        entry.selectedLook = looks->add(std::move(segment.selectedLook));
        entry.normalLook = looks->add(std::move(segment.normalLook));
        looks->select(entry.normalLook);
        entries_.push_back(entry);
        add(std::make_unique<Button>(std::move(looks),
                                     std::make_unique<ControlPressedEvent>(this, static_cast<std::uint32_t>(i)),
                                     Button::noKey),
            segment.childAnchor, segment.parentAnchor, false);
    }
}

void SegmentedControl::select(std::uint32_t index) {
    if (selected_ < entries_.size())
        entries_[selected_].looks->select(entries_[selected_].normalLook);
    selected_ = index;
    if (index < entries_.size())
        entries_[index].looks->select(entries_[index].selectedLook);
    if (handler_) {
        const std::shared_ptr<EventHandler> handler = handler_;
        handler->selected(index);
    }
}

bool SegmentedControl::showsSelected(std::uint32_t index) const {
    const Entry& entry = entries_.at(index);
    return entry.looks->currentIndex() == entry.selectedLook;
}
