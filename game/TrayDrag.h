#pragma once

#include <cstdint>

#include "geometry/Point.h"
#include "geometry/Vector.h"
#include "ui/Drag.h"

class Shelf;
class Table;

// The pointer pans a tray's view: the drawing shows the tray moved by the
// offset while the drag runs, so the grabbed table point stays under the
// pointer; the release records the new tray pose, applies it and hands it to
// the shelf as the held-back tray move.
class TrayDrag : public Drag {
public:
    // grab is the table point pressed. Neither the shelf nor the table is owned.
    void begin(Shelf& shelf, Table& table, std::uint32_t tray, const TAVO::Point<2, float>& grab);

    void drop(const TAVO::Point<2, float>& point) override;
    void move(const TAVO::Point<2, float>& point) override;

    // The table the drag works on; null before the first begin.
    const Table* table() const { return table_; }
    std::uint32_t tray() const { return tray_; }
    bool isTray(std::uint32_t tray) const { return tray_ == tray; }
    // What the pointer moved, in table units of the pose the drag began with.
    TAVO::Vector<2, float> offset() const;
    // The drag's table still has its tray.
    bool valid() const;

private:
    Shelf* shelf_ = nullptr;
    Table* table_ = nullptr;
    std::uint32_t tray_ = 0;
    TAVO::Point<2, float> grab_{0.0f, 0.0f};
    TAVO::Point<2, float> current_{0.0f, 0.0f};
};
