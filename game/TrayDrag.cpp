#include "game/TrayDrag.h"

#include "model/Shelf.h"
#include "model/Table.h"

using TAVO::Point;

void TrayDrag::begin(Shelf& shelf, Table& table, std::uint32_t tray, const Point<2, float>& grab) {
    shelf_ = &shelf;
    table_ = &table;
    tray_ = tray;
    grab_ = grab;
    move(grab);
}

void TrayDrag::move(const Point<2, float>& point) { current_ = point; }

TAVO::Vector<2, float> TrayDrag::offset() const { return current_ - grab_; }

bool TrayDrag::valid() const { return table_ != nullptr && table_->hasTray(tray_); }

void TrayDrag::drop(const Point<2, float>& point) {
    move(point);
    TrayPose pose = table_->tray(tray_).pose();
    pose.setPosition(pose.position() + offset());
    if (!pose.finite())
        return;
    Table::TypedAction& action = table_->moveTray(tray_, pose);
    action.action().apply(*table_);
    shelf_->setPendingAction(action);
}
