#include "ui/VisibleComponent.h"

#include "foundation/exceptions/UninitializedException.h"

VisibleComponent::VisibleComponent(std::unique_ptr<Component> child, bool visible) {
    if (!child)
        throw TAVO::UninitializedException(TAVO::SourceLocation(), "visible component's child");
    const Component& real = *child;
    dummy_ = add(std::make_unique<DummyComponent>(real));
    real_ = add(std::move(child));
    setVisible(visible);
}
