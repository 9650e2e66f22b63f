#pragma once

#include <cstdint>

// One axis of the view driven by a pair of keys (pan x, pan y or zoom): while
// a key is held the value moves at the axis's speed, in units per second, up
// for the positive key and down for the negative one; with both held it
// stays.
class KeyAxis {
public:
    KeyAxis(float speed, float value) : speed_(speed), value_(value) {}

    bool active() const { return negative_ != 0 || positive_ != 0; }
    void setNegative(bool held) { negative_ = held ? 1 : 0; }
    void setPositive(bool held) { positive_ = held ? 1 : 0; }
    // Both keys count as released.
    void release() { negative_ = positive_ = 0; }

    float value() const { return value_; }
    void setValue(float value) { value_ = value; }
    void add(float delta) { value_ += delta; }
    float speed() const { return speed_; }

    // value += (positive held - negative held) * speed * dt.
    void step(float dt) { value_ += float(int(positive_) - int(negative_)) * speed_ * dt; }

private:
    std::uint8_t negative_ = 0;
    std::uint8_t positive_ = 0;
    float speed_;
    float value_;
};
