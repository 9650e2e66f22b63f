#include "ui/Button.h"

Button::Button(std::unique_ptr<Component> child, std::unique_ptr<EventHandler> handler, std::uint32_t key)
    : DecoratedComponent(std::move(child)), handler_(std::move(handler)), key_(key) {}

bool Button::pointerButton(const FrameTime&, const TAVO::Point<2, float>&, bool pressed) {
    if (!handler_)
        return false;
    if (pressed)
        return true;
    const std::shared_ptr<EventHandler> handler = handler_;
    handler->invoke();
    return true;
}

bool Button::keyPress(const FrameTime&, std::uint32_t key) {
    if (key != key_ || !handler_)
        return false;
    const std::shared_ptr<EventHandler> handler = handler_;
    handler->invoke();
    return true;
}
