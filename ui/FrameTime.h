#pragma once

#include <cstdint>

// The view's record of steps and events, passed to every event and update of
// the interface. Each counter is raised before the event of its kind is
// offered, so a component tells whether an event of that kind reached the
// interface since it last looked by comparing the count with the one it kept.
struct FrameTime {
    // The length of the last fixed step in seconds.
    float dt = 0.0f;
    // Fixed steps run so far.
    std::uint32_t steps = 0;
    // Events offered to the interface so far, by kind.
    std::uint32_t buttonEvents = 0;
    std::uint32_t motionEvents = 0;
    std::uint32_t dragEvents = 0;
    std::uint32_t keyEvents = 0;
};
