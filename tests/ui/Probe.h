#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Component.h"
#include "ui/Drag.h"

namespace UiTest {

// A leaf that writes every call it gets into a shared log ("name event")
// and answers events with `takes`, or with what `handler` returns when one
// is set (a handler may change the tree around the probe). It keeps the
// last position and size it was given.
class Probe : public Component {
public:
    Probe(std::string name, const TAVO::Tuple<2, float>& size, std::vector<std::string>& log, bool takes = false)
        : takes(takes), name_(std::move(name)), size_(size), log_(log) {}

    TAVO::Tuple<2, float> size() const override { return size_; }
    void setGeometry(const TAVO::Tuple<2, float>& size) override {
        log_.push_back(name_ + " geometry");
        size_ = size;
    }
    bool pointerButton(const FrameTime&, const TAVO::Point<2, float>& p, bool pressed) override {
        return answer(pressed ? "press" : "release", p);
    }
    bool pointerMotion(const FrameTime&, const TAVO::Point<2, float>& p, bool) override { return answer("motion", p); }
    bool dragOver(const FrameTime&, const TAVO::Point<2, float>& p, Drag&, bool dropped) override {
        return answer(dropped ? "drop" : "drag", p);
    }
    bool keyPress(const FrameTime&, std::uint32_t key) override {
        return answer("key" + std::to_string(key), lastPosition);
    }
    void update(const FrameTime&) override {
        log_.push_back(name_ + " update");
        if (onUpdate) {
            const std::function<void()> call = onUpdate;
            call();
        }
    }
    void draw() override { log_.push_back(name_ + " draw"); }

    const std::string& name() const { return name_; }

    bool takes;
    std::function<bool()> handler;
    std::function<void()> onUpdate;
    bool touchAfter = false;
    TAVO::Point<2, float> lastPosition;

private:
    bool answer(const std::string& event, const TAVO::Point<2, float>& p) {
        log_.push_back(name_ + " " + event);
        lastPosition = p;
        if (handler) {
            // The handler may take this probe out of its container: copy it
            // out first. Only a probe told to looks at itself afterwards, to
            // show that its container still holds it.
            const std::function<bool()> call = handler;
            const bool taken = call();
            if (touchAfter)
                log_.push_back(name_ + " after");
            return taken;
        }
        return takes;
    }

    std::string name_;
    TAVO::Tuple<2, float> size_;
    std::vector<std::string>& log_;
};

// A drag that keeps every default of the interface.
class PlainDrag : public Drag {
public:
    void drop(const TAVO::Point<2, float>&) override {}
    void move(const TAVO::Point<2, float>&) override {}
};

} // namespace UiTest
