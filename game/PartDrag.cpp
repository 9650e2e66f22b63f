#include "game/PartDrag.h"

#include "model/Shelf.h"
#include "model/Table.h"

using TAVO::Point;

void PartDrag::begin(Shelf& shelf, Table& table, std::uint32_t tray, std::uint32_t part, const Pose& startPose,
                     const Point<2, float>& grab) {
    shelf_ = &shelf;
    table_ = &table;
    tray_ = tray;
    part_ = part;
    start_ = startPose;
    grab_ = grab;
    current_ = grab;
    snapped_ = 0;
    partner_ = 0;
    hovering_ = 0;
    onIcon_ = 0;
}

PartDrag::Pose PartDrag::freePose() const {
    return Pose(start_.position() + (current_ - grab_), start_.orientation());
}

bool PartDrag::valid() const {
    return table_ != nullptr && table_->hasTray(tray_) && table_->tray(tray_).hasPart(part_);
}

void PartDrag::move(const Point<2, float>& point) {
    current_ = point;
    hovering_ = 0;
}

bool PartDrag::hoverTrayBar(const Point<2, float>& position, bool onIcon) {
    hovering_ = 1;
    onIcon_ = onIcon ? 1 : 0;
    hover_ = position;
    return true;
}

void PartDrag::update() { snap(); }

void PartDrag::snap() {
    const Tray& tray = table_->tray(tray_);
    const Pose free = freePose();
    float best = 0.0f;
    if (snapped_ != 0) {
        // A partner that left the tray holds no snap.
        const float e = tray.hasPart(partner_) ? tray.fitError(part_, free, partner_) : releaseError + 1.0f;
        if (e > releaseError)
            snapped_ = 0;
        else
            best = e;
    }
    for (unsigned int candidate : tray.joinCandidates(part_, free)) {
        const float e = tray.fitError(part_, free, candidate);
        // Ties keep the partner found first.
        if (snapped_ != 0 && !(e < best))
            continue;
        partner_ = candidate;
        best = e;
        snapPose_ = tray.matchingPose(part_, candidate, tray.partPose(candidate));
        snapped_ = 1;
    }
}

void PartDrag::drop(const Point<2, float>& point) {
    move(point);
    snap();
    const Pose pose = this->pose();
    // A pose beyond the numbers (a view zoomed past every limit) is no
    // place: the part stays where it was.
    if (!Tray::PartEntry(pose).finite())
        return;
    Table::TypedAction& action = table_->dropPart(tray_, part_, pose);
    action.action().apply(*table_);
    shelf_->saveAction(action);
}

bool PartDrag::dropIntoTray(std::uint32_t tray) {
    if (tray == tray_)
        return true;
    if (!table_->hasTray(tray))
        return false;
    const Pose place = table_->tray(tray).findPlace(part_);
    Table::TypedAction& action = table_->movePart(tray_, tray, part_, place);
    action.action().apply(*table_);
    shelf_->saveAction(action);
    return true;
}

bool PartDrag::dropIntoNewTray() {
    const std::uint32_t tray = table_->freeTrayId();
    table_->addTray(tray);
    return dropIntoTray(tray);
}
