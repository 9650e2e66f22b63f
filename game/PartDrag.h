#pragma once

#include <cstdint>

#include "geometry/Point.h"
#include "geometry/Vector.h"
#include "model/Tray.h"
#include "ui/Drag.h"

class Shelf;
class Table;

// A part carried by the pointer. While it moves, it jumps to the exact joined
// pose of a fitting neighbour on its tray (the snap) and keeps that pose
// until the free pose strays too far; released, it is dropped on the table at
// the snap pose or the free pose (a move, or a join where it fits), or sent
// to a tray or a new tray through the tray bar. Every change is recorded as a
// table action, applied and saved at once.
class PartDrag : public Drag {
public:
    using Pose = Tray::Pose;

    // A snap holds while the free pose's fit error to its partner is at most
    // this (a squared distance: 30 units).
    static constexpr float releaseError = (10.0f * 3.0f) * (10.0f * 3.0f);

    // The part lies on the tray at the start pose; grab is the table point
    // pressed. Neither the shelf nor the table is owned.
    void begin(Shelf& shelf, Table& table, std::uint32_t tray, std::uint32_t part, const Pose& startPose,
               const TAVO::Point<2, float>& grab);

    void drop(const TAVO::Point<2, float>& point) override;
    void move(const TAVO::Point<2, float>& point) override;
    bool hoverTrayBar(const TAVO::Point<2, float>& position, bool onIcon) override;
    // The part's own tray takes it without a change; a tray the table lacks
    // does not take it.
    bool dropIntoTray(std::uint32_t tray) override;
    bool dropIntoNewTray() override;
    // The snap search.
    void update() override;

    // The table the drag works on; null before the first begin.
    const Table* table() const { return table_; }
    std::uint32_t tray() const { return tray_; }
    std::uint32_t part() const { return part_; }
    bool isPart(std::uint32_t part) const { return part_ == part; }
    bool isTray(std::uint32_t tray) const { return tray_ == tray; }
    // The snap pose while snapped, the free pose otherwise.
    Pose pose() const { return snapped_ ? snapPose_ : freePose(); }
    // The start pose moved by what the pointer moved; the start angle.
    Pose freePose() const;
    bool isSnapped() const { return snapped_ != 0; }
    std::uint32_t snapPartner() const { return partner_; }
    bool isHovering() const { return hovering_ != 0; }
    bool onIcon() const { return onIcon_ != 0; }
    const TAVO::Point<2, float>& hoverPosition() const { return hover_; }

    // The drag's table still holds the part on its tray.
    bool valid() const;

private:
    void snap();

    Shelf* shelf_ = nullptr;
    Table* table_ = nullptr;
    std::uint32_t tray_ = 0;
    std::uint32_t part_ = 0;
    Pose start_;
    TAVO::Point<2, float> grab_{0.0f, 0.0f};
    TAVO::Point<2, float> current_{0.0f, 0.0f};
    std::uint8_t snapped_ = 0;
    Pose snapPose_;
    std::uint32_t partner_ = 0;
    std::uint8_t hovering_ = 0;
    std::uint8_t onIcon_ = 0;
    TAVO::Point<2, float> hover_{0.0f, 0.0f};
};
