#pragma once

#include <cstdint>
#include <memory>

#include "ui/DecoratedComponent.h"

// Makes any component clickable: a release of the pointer button over it, or
// its shortcut key, calls its handler. A button without a handler is
// transparent to the pointer. A release fires the button whether or not the
// press began on it.
class Button : public DecoratedComponent {
public:
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        virtual void invoke() = 0;
    };

    // Calls a member operation of an object it does not own (a virtual one
    // dispatches through the object's own class).
    template <class T>
    class InvokeMember : public EventHandler {
    public:
        using Member = void (T::*)();
        InvokeMember(T* object, Member member) : object_(object), member_(member) {}
        void invoke() override { (object_->*member_)(); }

    private:
        T* object_;
        Member member_;
    };

    // A key code that no key sends (Component::escapeKey and enterKey are
    // the ones that are sent).
    static constexpr std::uint32_t noKey = 2;

    // Takes the child and the handler (which may be empty).
    Button(std::unique_ptr<Component> child, std::unique_ptr<EventHandler> handler, std::uint32_t key);

    std::uint32_t key() const { return key_; }

    // Without a handler: not taken. A press is taken and does nothing; a
    // release calls the handler and is taken.
    bool pointerButton(const FrameTime& frame, const TAVO::Point<2, float>& position, bool pressed) override;
    // The shortcut key calls the handler and is taken; other keys are not
    // taken and do not reach the child.
    bool keyPress(const FrameTime& frame, std::uint32_t key) override;

private:
    // Shared with a call in progress, so that a handler that destroys its
    // button runs to its end.
    std::shared_ptr<EventHandler> handler_;
    std::uint32_t key_;
};
